#include "app/selection.h"

#include "app/main_window.h"
#include "app/state.h"

// Row k shows record k, so the row number is the table index; a row the table does not have
// (none selected, or the list out of step) gives 0, which every action takes as "nothing".
std::size_t SelectedChunk(ui::Window window) {
  int row = ui::ListFirstSelected(window, kChunkList);
  if (row < 1 || static_cast<std::size_t>(row) > Chunks().size()) return 0;
  return static_cast<std::size_t>(row);
}
