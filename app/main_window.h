#pragma once
// The Main window: the chunk list of the current executable and the buttons that act on it.
#include <cstdint>

#include "platform/status.h"
#include "platform/ui.h"

inline constexpr const char* kMainTitle = "stowr - Tailpack Manager v0.1";

// Control identifiers.
enum MainControl : int {
  kExeLabel = 1001,
  kCountLabel = 1002,
  kPathLabel = 1003,
  kChooseButton = 1004,
  kChunkList = 1005,
  kAddButton = 1006,
  kRemoveOneButton = 1007,
  kRemoveAllButton = 1008,
  kPreviewButton = 1009,
  kExtractOneButton = 1010,
  kExtractAllButton = 1011,
};

// The window and its controls as created: all six action buttons disabled.
ui::WindowLayout MainWindowLayout(ui::Window owner);
// Builds the Main window, runs it modally and returns the value it was ended with.
std::intptr_t OpenMainWindow(ui::Window owner);

// The message handler; returns 0 (not handled) for every message of the system.
std::intptr_t MainWindowHandler(ui::Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
