// "Replace...": new data for the selected chunk, read from a file the user picks.
#include <string>

#include "app/choose_exe.h"
#include "app/edit_lock.h"
#include "app/list_habits.h"
#include "app/main_window.h"
#include "app/owner_question.h"
#include "app/refresh.h"
#include "app/selection.h"
#include "app/signature_warning.h"
#include "app/state.h"
#include "app/write_check.h"
#include "store/replace.h"
#include "tools/busy.h"

// An executable that cannot take the change is reported first; a replacement that breaks a
// signed program's signature, or gives it another owner, is asked about before the file is
// chosen. The write runs off the window's thread and can be cancelled, which leaves the file as it
// was; afterwards the list is rebuilt with the chunk still selected.
void ReplaceChunkAction(ui::Window window) {
  const std::size_t index = SelectedChunk(window);
  if (index == 0) return;
  if (!ExeCanChange(window)) return;
  if (!RemovalMayGoOn(window, index, SignatureChange::Replace)) return;
  const std::string exe = ExePath();
  Owner owner = Owner::Keep;
  if (!OwnerChangeMayGoOn(window, exe, SignatureChange::Replace, owner)) return;
  const std::string file =
      ui::AskOpenFile(window, OpenDialogOptions("Select resource", "All files (*.*)", "*.*", ""));
  if (file.empty()) return;
  const ChunkTable table = Chunks();
  EditFailure failure;
  RunBusy(window, "Replacing a chunk in:", exe, true, [&](const Progress& progress) {
    failure = EditWithFile(
        exe, file, progress, [&](const SourceFile& data) { return ReplaceChunk(exe, table, index, data); }, owner);
  });
  RefreshAfterChange(window, failure.what, failure.path, failure.status);
  SelectChunkAt(window, index);
}
