#pragma once
// The Main window's buttons.
#include "platform/ui.h"

// What a click on button id does (or the choice of the window menu's item of that id).
void RunMainCommand(ui::Window window, int id);
