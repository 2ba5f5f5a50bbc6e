#pragma once
// The Main window's buttons.
#include "platform/ui.h"

// What a click on button id does.
void RunMainCommand(ui::Window window, int id);
