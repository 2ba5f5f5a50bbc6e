#include "app/list_habits.h"

#include <algorithm>
#include <vector>

#include "app/choose_exe.h"
#include "app/chunk_actions.h"
#include "app/main_handler.h"
#include "app/main_window.h"
#include "app/refresh.h"
#include "app/remove_chunks.h"
#include "app/selection.h"
#include "app/state.h"

namespace {

// Each item acts exactly as its button (RunMainCommand) and is greyed when the button is.
// "Replace..." can act where "Remove One" can.
std::vector<ui::MenuItem> RowMenu(ui::Window window) {
  return {{kPreviewButton, "Preview", ui::ControlEnabled(window, kPreviewButton)},
          {kExtractOneButton, "Extract...", ui::ControlEnabled(window, kExtractOneButton)},
          {kReplaceCommand, "Replace...", ui::ControlEnabled(window, kRemoveOneButton)},
          {kRemoveOneButton, "Remove", ui::ControlEnabled(window, kRemoveOneButton)}};
}

std::vector<ui::MenuItem> SpaceMenu(ui::Window window) {
  return {{kAddButton, "Add Tailpack...", ui::ControlEnabled(window, kAddButton)},
          {kExtractAllButton, "Extract All", ui::ControlEnabled(window, kExtractAllButton)},
          {kRemoveAllButton, "Remove All", ui::ControlEnabled(window, kRemoveAllButton)}};
}

// Over a row, that row alone becomes the selection and the row menu shows; over empty space in the
// list or the window, the other. Over another control nothing shows.
std::intptr_t ShowContextMenu(ui::Window window, int control, const ui::ContextRequest& request) {
  if (control != kChunkList && control != 0) return 0;
  const bool onRow =
      control == kChunkList && request.row >= 0 && static_cast<std::size_t>(request.row) < Chunks().size();
  if (onRow) ui::ListSelectOnly(window, kChunkList, request.row);
  const int chosen = ui::ShowPopupMenu(window, request.at, onRow ? RowMenu(window) : SpaceMenu(window));
  if (chosen == kReplaceCommand) ReplaceChunkAction(window);
  else if (chosen != 0) RunMainCommand(window, chosen);
  return 1;
}

// F5: the selected chunk stays selected when the new scan still lists it (the same record, or else
// the first of the same kind and length); otherwise the refresh's own selection holds.
void RefreshKeepingSelection(ui::Window window) {
  const std::size_t selected = SelectedChunk(window);
  const ChunkTable before = Chunks();
  RefreshAndReport(window);
  if (selected == 0) return;
  const ChunkRecord& old = before[selected - 1];
  const ChunkTable& now = Chunks();
  auto same = std::find(now.begin(), now.end(), old);
  if (same == now.end())
    same = std::find_if(now.begin(), now.end(), [&](const ChunkRecord& record) {
      return KindText(record) == KindText(old) && record.Length == old.Length;
    });
  if (same != now.end()) SelectChunkAt(window, static_cast<std::size_t>(same - now.begin()) + 1);
}

// Ctrl+O anywhere in the window is "..."; Enter in the list previews the selected row, as a
// double-click does (a focused button takes Enter itself).
std::intptr_t OnKey(ui::Window window, std::uintptr_t key, int control) {
  if (key == (ui::kWithCtrl | 'O')) {
    ChooseExecutable(window);
    return 1;
  }
  if (key == ui::kKeyReturn && control == kChunkList) {
    PreviewAction(window);
    return 1;
  }
  if (key == ui::kKeyF5) {
    RefreshKeepingSelection(window);
    return 1;
  }
  if (key == ui::kKeyDelete && control == kChunkList) {
    RemoveOneChunk(window);
    return 1;
  }
  return 0;
}

}  // namespace

std::intptr_t OnListHabit(ui::Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  const int control = static_cast<int>(wParam);
  switch (message) {
    case ui::kKeyDown: return OnKey(window, wParam, static_cast<int>(lParam));
    case ui::kListDoubleClick:
      if (control != kChunkList || lParam < 0 || static_cast<std::size_t>(lParam) >= Chunks().size()) return 0;
      ui::ListSelectOnly(window, kChunkList, static_cast<int>(lParam));
      PreviewAction(window);
      return 1;
    case ui::kContextMenu:
      return ShowContextMenu(window, control, *reinterpret_cast<const ui::ContextRequest*>(lParam));
    default: return 0;
  }
}

void SelectChunkAt(ui::Window window, std::size_t index) {
  if (index >= 1 && index <= Chunks().size()) ui::ListSelectOnly(window, kChunkList, static_cast<int>(index) - 1);
}
