#include "app/chunk_actions.h"

#include <string>

#include "app/choose_exe.h"
#include "app/edit_lock.h"
#include "app/main_window.h"
#include "app/owner_question.h"
#include "app/refresh.h"
#include "app/selection.h"
#include "app/signature_warning.h"
#include "app/state.h"
#include "app/write_check.h"
#include "store/edit.h"
#include "store/plan.h"
#include "store/wholefile.h"
#include "tools/add_dialog.h"
#include "tools/busy.h"
#include "tools/extraction.h"
#include "viewer/chunk_viewer.h"

// Appends a chosen file as a new chunk under a descriptor asked from the user. An executable that
// cannot take it is reported before either dialog. Cancelling either dialog, or keeping a
// signature that the add would break, changes nothing; otherwise the list is rebuilt, and a
// failure is reported over it. The copy runs off the window's thread and can be cancelled, which
// leaves the file as it was.
void AddChunkAction(ui::Window window) {
  if (!ExeCanChange(window)) return;
  std::string file = ui::AskOpenFile(window, OpenDialogOptions("Select resource", "All files (*.*)", "*.*", ""));
  if (file.empty()) return;
  AddFileAsChunk(window, file);
}

void AddFileAsChunk(ui::Window window, const std::string& file) {
  std::string kind = AskDescriptor(window, Chunks());
  if (kind.empty()) return;
  if (AddBreaksSignature(Signature()) && !AcceptSignatureLoss(window, SignatureChange::Add)) return;
  const std::string exe = ExePath();
  Owner owner = Owner::Keep;
  if (!OwnerChangeMayGoOn(window, exe, SignatureChange::Add, owner)) return;
  EditFailure failure;
  RunBusy(window, "Adding a chunk to:", exe, true, [&](const Progress& progress) {
    failure = EditWithFile(
        exe, file, progress, [&](const SourceFile& data) { return AppendChunk(exe, kind, data); }, owner);
  });
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
