// "Replace...": new data for the selected chunk, read from a file the user picks.
#include <string>

#include "app/choose_exe.h"
#include "app/edit_lock.h"
#include "app/list_habits.h"
#include "app/main_window.h"
#include "app/refresh.h"
#include "app/selection.h"
#include "app/signature_warning.h"
#include "app/state.h"
#include "store/replace.h"
#include "store/wholefile.h"
#include "tools/busy.h"

namespace {

struct Outcome {
  std::string what, path;
  Status status;
};

// Nothing is written when either file cannot be read, when the executable no longer holds the
// chunks of table, or when ReplaceChunk refuses (an empty file). The edit lock is held from the
// read of the executable to the write, as for every edit.
Outcome ReplaceFromFile(const std::string& exe, const ChunkTable& table, std::size_t index, const std::string& file,
                        const Progress& progress) {
  platform::FileLock lock;
  Status locked = LockForEdit(exe, lock, progress);
  if (!locked.ok() && locked.code != Status::Code::Missing) return {"Could not write file:", exe, locked};
  SourceFile data;
  Status read = StampSource(file, data);
  if (!read.ok()) return {"Could not read file:", file, read};
  EditResult edit = ReplaceChunk(exe, table, index, data);
  if (!edit.status.ok()) return {"Could not read file:", exe, edit.status};
  if (!edit.changed) return {};
  return {"Could not write file:", exe, WriteWholeFile(edit.content, exe, progress)};
}

}  // namespace

// A replacement that breaks a signed program's signature is asked about before the file is
// chosen. The write runs off the window's thread and can be cancelled, which leaves the file as
// it was; afterwards the list is rebuilt with the chunk still selected.
void ReplaceChunkAction(ui::Window window) {
  const std::size_t index = SelectedChunk(window);
  if (index == 0) return;
  if (!RemovalMayGoOn(window, index, SignatureChange::Replace)) return;
  const std::string file =
      ui::AskOpenFile(window, OpenDialogOptions("Select resource", "All files (*.*)", "*.*", ""));
  if (file.empty()) return;
  const std::string exe = ExePath();
  const ChunkTable table = Chunks();
  Outcome outcome;
  RunBusy(window, "Replacing a chunk in:", exe, true,
          [&](const Progress& progress) { outcome = ReplaceFromFile(exe, table, index, file, progress); });
  RefreshAfterChange(window, outcome.what, outcome.path, outcome.status);
  SelectChunkAt(window, index);
}
