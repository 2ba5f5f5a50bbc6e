#include "app/chunk_actions.h"

#include <string>

#include "app/choose_exe.h"
#include "app/edit_lock.h"
#include "app/main_window.h"
#include "app/refresh.h"
#include "app/selection.h"
#include "app/signature_warning.h"
#include "app/state.h"
#include "store/edit.h"
#include "store/plan.h"
#include "store/wholefile.h"
#include "tools/add_dialog.h"
#include "tools/busy.h"
#include "tools/extraction.h"
#include "viewer/chunk_viewer.h"

namespace {

struct Failure {
  std::string what, path;
  Status status;
};

// Writes the executable with the picked file appended, copied into it as it is written. Nothing
// is written when a file cannot be read (a vanished executable is not recreated empty) or when
// AppendChunk refuses the add (an empty file), so the executable keeps its content. The edit lock
// is held from the read of the executable to the write; a missing one is reported by that read.
Failure AppendFile(const std::string& exe, const std::string& file, const std::string& kind,
                   const Progress& progress) {
  platform::FileLock lock;
  Status locked = LockForEdit(exe, lock, progress);
  if (!locked.ok() && locked.code != Status::Code::Missing) return {"Could not write file:", exe, locked};
  SourceFile data;
  Status read = StampSource(file, data);
  if (!read.ok()) return {"Could not read file:", file, read};
  EditResult edit = AppendChunk(exe, kind, data);
  if (!edit.status.ok()) return {"Could not read file:", exe, edit.status};
  if (!edit.changed) return {};
  return {"Could not write file:", exe, WriteWholeFile(edit.content, exe, progress)};
}

}  // namespace

// Appends a chosen file as a new chunk under a descriptor asked from the user. Cancelling either
// dialog, or keeping a signature that the add would break, changes nothing; otherwise the list is
// rebuilt, and a failure is reported over it. The copy runs off the window's thread and can be
// cancelled, which leaves the file as it was.
void AddChunkAction(ui::Window window) {
  std::string file = ui::AskOpenFile(window, OpenDialogOptions("Select resource", "All files (*.*)", "*.*", ""));
  if (file.empty()) return;
  AddFileAsChunk(window, file);
}

void AddFileAsChunk(ui::Window window, const std::string& file) {
  std::string kind = AskDescriptor(window, Chunks());
  if (kind.empty()) return;
  if (AddBreaksSignature(Signature()) && !AcceptSignatureLoss(window, SignatureChange::Add)) return;
  const std::string exe = ExePath();
  Failure failure;
  RunBusy(window, "Adding a chunk to:", exe, true,
          [&](const Progress& progress) { failure = AppendFile(exe, file, kind, progress); });
  RefreshAfterChange(window, failure.what, failure.path, failure.status);
}

// Shows the first selected chunk in the Viewer; nothing when no row is selected.
void PreviewAction(ui::Window window) {
  std::size_t index = SelectedChunk(window);
  if (index == 0) return;
  if (PreviewChunk(window, ExePath(), Chunks()[index - 1], ChunksStamp())) RefreshAndReport(window);
}

// Saves the first selected chunk to a file the user names; nothing when no row is selected.
void ExtractOneAction(ui::Window window) {
  std::size_t index = SelectedChunk(window);
  if (index == 0) return;
  if (ExtractOneChunk(window, ExePath(), Chunks()[index - 1], ChunksStamp())) RefreshAndReport(window);
}

// Saves every chunk to default-named files beside the executable.
// A file changed since the list was read: nothing is written, and the list is read again.
void ExtractAllAction(ui::Window window) {
  if (ExtractAllChunks(window, ExePath(), Chunks(), ChunksStamp())) RefreshAndReport(window);
}
