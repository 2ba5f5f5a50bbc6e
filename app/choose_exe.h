#pragma once
// Choosing the executable to work on.
#include <string>

#include "platform/ui.h"

// "...": asks for an executable; a chosen one becomes ExePath() and the list is refreshed.
void ChooseExecutable(ui::Window window);
// What choosing path does: it becomes ExePath() and the list is refreshed.
void OpenExecutable(ui::Window window, const std::string& path);
// The open dialog of the executable chooser, with another title and filter and no default
// extension when defaultExtension is empty.
ui::FileDialogOptions OpenDialogOptions(const std::string& title, const std::string& filterDescription,
                                  const std::string& filterPattern, const std::string& defaultExtension);
