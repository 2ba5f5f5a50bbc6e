#include "app/chunk_actions.h"

#include <string>

#include "app/busy.h"
#include "app/main_actions.h"
#include "app/main_window.h"
#include "app/signature_warning.h"
#include "app/state.h"
#include "store/edit.h"
#include "store/wholefile.h"
#include "tools/add_dialog.h"
#include "tools/extraction.h"
#include "viewer/chunk_viewer.h"

namespace {

struct Failure {
  std::string what, path;
  Status status;
};

// The executable with the picked file appended, to be copied into it as it is written. Nothing is
// to be written when a file cannot be read (a vanished executable is not recreated empty) or when
// AppendChunk refuses the add (an empty file): edit.changed stays false.
Failure PrepareAppend(const std::string& exe, const std::string& file, const std::string& kind, EditResult& edit) {
  SourceFile data;
  Status read = StampSource(file, data);
  if (!read.ok()) return {"Could not read file:", file, read};
  edit = AppendChunk(ExeFile{exe}, kind, data);
  if (!edit.status.ok()) return {"Could not read file:", exe, edit.status};
  return {};
}

}  // namespace

// Appends a chosen file as a new chunk under a descriptor asked from the user. Cancelling either
// dialog changes nothing; otherwise the list is rebuilt, and a failure is reported over it. An add
// that would break a signed program's signature is asked about first. The copy runs off the
// window's thread and can be cancelled, which leaves the file as it was.
void AddChunkAction(ui::Window window) {
  std::string file = ui::AskOpenFile(window, OpenDialogOptions("Select resource", "All files (*.*)", "*.*", ""));
  if (file.empty()) return;
  AddFileAsChunk(window, file);
}

void AddFileAsChunk(ui::Window window, const std::string& file) {
  std::string kind = AskDescriptor(window);
  if (kind.empty()) return;
  const std::string exe = ExePath();
  Failure failure;
  EditResult edit;
  RunBusy(window, "Adding a chunk to:", exe, false,
          [&](const Progress&) { failure = PrepareAppend(exe, file, kind, edit); });
  bool write = failure.status.ok() && edit.changed;
  if (write && edit.breaksSignature) write = AcceptSignatureLoss(window, SignatureChange::Add);
  if (write) {
    RunBusy(window, "Adding a chunk to:", exe, true, [&](const Progress& progress) {
      failure = {"Could not write file:", exe, WriteWholeFile(edit.content, exe, progress)};
    });
  }
  RefreshAfterChange(window, failure.what, failure.path, failure.status);
}

// Shows the first selected chunk in the Viewer; nothing when no row is selected.
void PreviewAction(ui::Window window) {
  std::size_t index = SelectedChunk(window);
  if (index == 0) return;
  PreviewChunk(window, static_cast<int>(index));
}

// Saves the first selected chunk to a file the user names; nothing when no row is selected.
void ExtractOneAction(ui::Window window) {
  std::size_t index = SelectedChunk(window);
  if (index == 0) return;
  ExtractOneChunk(window, index);
}

// Saves every chunk to default-named files beside the executable.
void ExtractAllAction(ui::Window window) { ExtractAllChunks(window); }
