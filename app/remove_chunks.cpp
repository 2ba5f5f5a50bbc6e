#include "app/main_actions.h"
#include "app/main_window.h"
#include "app/state.h"
#include "store/edit.h"
#include "store/wholefile.h"

namespace {

bool Confirmed(ui::Window window, const char* caption) {
  return ui::ShowMessage(window, "Are you sure?", caption, ui::kMbYesNo | ui::kMbIconQuestion) == ui::kIdYes;
}

// Writes an edit back over ExePath() and refreshes the list. Nothing is written when the file
// could not be read (a vanished file is not recreated empty) or when the edit changes nothing; a
// failure is reported after the refresh, so the list behind the message shows what the file holds.
void ApplyEdit(ui::Window window, const EditResult& edit, const char* failedRead) {
  const std::string path = ExePath();
  if (!edit.status.ok()) {
    RefreshChunkList(window);
    ReportFileFailure(window, failedRead, path, edit.status);
    return;
  }
  Status written = edit.changed ? WriteWholeFile(edit.content, path) : Status::Success();
  RefreshChunkList(window);
  ReportOutcome(window, "Could not write file:", path, written);
}

}  // namespace

// Cuts the first selected chunk out of the executable. With no row selected there is nothing to
// remove and nothing is asked. The cut rescans the file first and refuses when it no longer
// matches the list, so a file changed by someone else never loses the wrong bytes.
void RemoveOneChunk(ui::Window window) {
  if (SelectedChunk(window) == 0) return;
  if (!Confirmed(window, "stowr - remove one")) return;
  std::size_t index = SelectedChunk(window);
  if (index == 0) return;
  ApplyEdit(window, CutChunk(ExePath(), Chunks(), index), "Could not remove the chunk from file:");
}

// Rewrites the executable with its own bytes only.
void RemoveAllChunks(ui::Window window) {
  if (!Confirmed(window, "stowr - remove all")) return;
  ApplyEdit(window, StripTailpack(ExePath()), "Could not read file:");
}
