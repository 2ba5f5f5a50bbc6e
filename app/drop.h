#pragma once
// Files dropped on the Main window.
#include <string>
#include <vector>

#include "platform/ui.h"

// Files dropped on the Main window: one executable is opened, other files added as chunks.
void OpenDroppedFiles(ui::Window window, const std::vector<std::string>& paths);
