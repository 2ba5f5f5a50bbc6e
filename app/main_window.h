#pragma once
// The Main window: the chunk list of the current executable and the buttons that act on it.
#include <cstdint>

#include "platform/status.h"
#include "platform/ui.h"
#include "platform/window_ids.h"  // kMainTitle and the control ids (MainControl)

// The window and its controls as created: all six action buttons disabled.
ui::WindowLayout MainWindowLayout(ui::Window owner);
// Builds the Main window, runs it modally and returns the value it was ended with.
std::intptr_t OpenMainWindow(ui::Window owner);

// The message handler; returns 0 (not handled) for every message of the system.
std::intptr_t MainWindowHandler(ui::Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);
