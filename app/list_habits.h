#pragma once
// The Main window as a Windows user expects it: a double-click or Enter previews a row, Delete
// removes it, F5 scans again, Ctrl+O opens another executable, and a context menu offers the
// buttons' actions (and "Replace...").
#include <cstddef>
#include <cstdint>

#include "platform/ui.h"

// The menu item "Replace..." (no control has this id, and no command runs it).
inline constexpr int kReplaceCommand = 2001;

// kKeyDown, kListDoubleClick and kContextMenu of the Main window; non-zero when taken.
std::intptr_t OnListHabit(ui::Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

// "Replace...": asks for a file and writes its bytes as the selected chunk's new data.
void ReplaceChunkAction(ui::Window window);
// Selects row index (1-based) alone when the list has it.
void SelectChunkAt(ui::Window window, std::size_t index);
