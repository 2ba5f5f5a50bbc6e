#pragma once
// Files dropped on the Main window.
#include <string>

#include "platform/ui.h"

// A file dropped on the Main window: an executable is opened, another file added as a chunk.
void OpenDroppedFile(ui::Window window, const std::string& path);
