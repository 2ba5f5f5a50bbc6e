#pragma once
// The chunk the user picked in the Main window's list.
#include <cstddef>

#include "platform/ui.h"

// The 1-based table index of the first selected row, or 0 when no row is selected or the row
// names no record of Chunks().
std::size_t SelectedChunk(ui::Window window);
