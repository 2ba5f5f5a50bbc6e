#pragma once
// "About stowr...": the program's version and licence, from the Main window's window menu.
#include "platform/ui.h"

// The item's command: a multiple of 16 below the system's own commands, and no control's id.
inline constexpr int kAboutCommand = 0x7F0;

// Puts "About stowr..." at the end of window's window menu (Alt+Space).
void AddAboutItem(ui::Window window);
// The box the item opens, owned by window.
void ShowAbout(ui::Window window);
