#include "app/remove_chunks.h"

#include <functional>

#include "app/edit_lock.h"
#include "app/main_window.h"
#include "app/owner_question.h"
#include "app/refresh.h"
#include "app/report.h"
#include "app/selection.h"
#include "app/signature_warning.h"
#include "app/state.h"
#include "app/write_check.h"
#include "store/edit.h"
#include "store/wholefile.h"
#include "tools/busy.h"

namespace {

bool Confirmed(ui::Window window, const char* caption) {
  return ui::ShowMessage(window, "Are you sure?", caption, ui::kMbYesNo | ui::kMbIconQuestion) == ui::kIdYes;
}

// Computes an edit of ExePath() and writes it back (its owner changed only as owner allows), both
// off the window's thread and under the file's edit lock (the write can be cancelled, which leaves the file as it was), then refreshes
// the list. A file gone meanwhile is reported by the edit's read. Nothing is written when
// the file could not be read (a vanished file is not recreated empty) or when the edit changes
// nothing; a failure is reported after the refresh, so the list behind the message shows what
// the file holds.
void ApplyEdit(ui::Window window, const char* doing, const std::function<EditResult(const std::string&)>& makeEdit,
               const char* failedRead, Owner owner) {
  const std::string path = ExePath();
  EditResult edit;
  Status written;
  RunBusy(window, doing, path, true, [&](const Progress& progress) {
    platform::FileLock lock;
    Status locked = LockForEdit(path, lock, progress);
    if (!locked.ok() && locked.code != Status::Code::Missing) {
      written = locked;
      return;
    }
    edit = makeEdit(path);
    if (edit.status.ok() && edit.changed) written = WriteWholeFile(edit.content, path, progress, owner);
  });
  if (!edit.status.ok()) {
    RefreshChunkList(window);
    ReportFileFailure(window, failedRead, path, edit.status);
    return;
  }
  RefreshAfterChange(window, "Could not write file:", path, written);
}

}  // namespace

// Cuts the first selected chunk out of the executable. With no row selected there is nothing to
// remove and nothing is asked; an executable that cannot take the change is reported before
// anything is asked. A removal that breaks a signed program's signature is asked about
// first. The cut rescans the file first and refuses when it no longer matches the list, so a
// file changed by someone else never loses the wrong bytes.
void RemoveOneChunk(ui::Window window) {
  if (SelectedChunk(window) == 0) return;
  if (!ExeCanChange(window)) return;
  if (!RemovalMayGoOn(window, SelectedChunk(window), SignatureChange::RemoveOne)) return;
  Owner owner = Owner::Keep;
  if (!OwnerChangeMayGoOn(window, ExePath(), SignatureChange::RemoveOne, owner)) return;
  if (!Confirmed(window, "stowr - remove one")) return;
  std::size_t index = SelectedChunk(window);
  if (index == 0) return;
  ApplyEdit(
      window, "Removing a chunk from:",
      [table = Chunks(), index](const std::string& path) { return CutChunk(path, table, index); },
      "Could not remove the chunk from file:", owner);
}

// Rewrites the executable with its own bytes only (and a signed one's certificate table).
void RemoveAllChunks(ui::Window window) {
  if (!ExeCanChange(window)) return;
  if (!RemovalMayGoOn(window, 0, SignatureChange::RemoveAll)) return;
  Owner owner = Owner::Keep;
  if (!OwnerChangeMayGoOn(window, ExePath(), SignatureChange::RemoveAll, owner)) return;
  if (!Confirmed(window, "stowr - remove all")) return;
  ApplyEdit(window, "Removing every chunk from:", StripTailpack, "Could not read file:", owner);
}
