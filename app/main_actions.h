#pragma once
// The Main window's own actions, one per button, and what they share with the chunk actions.
#include <cstddef>
#include <string>

#include "platform/status.h"
#include "platform/ui.h"

// "...": asks for an executable; a chosen one becomes ExePath() and the list is refreshed.
void ChooseExecutable(ui::Window window);
// What choosing path does: it becomes ExePath() and the list is refreshed.
void OpenExecutable(ui::Window window, const std::string& path);
// A file dropped on the Main window: an executable is opened, another file added as a chunk.
void OpenDroppedFile(ui::Window window, const std::string& path);
// "Remove One" and "Remove All": confirm, rewrite ExePath() without the chunk(s), refresh.
void RemoveOneChunk(ui::Window window);
void RemoveAllChunks(ui::Window window);

// What a click on button id does.
void RunMainCommand(ui::Window window, int id);

// The open dialog of the executable chooser, with another title and filter and no default
// extension when defaultExtension is empty.
ui::FileDialogOptions OpenDialogOptions(const std::string& title, const std::string& filterDescription,
                                  const std::string& filterPattern, const std::string& defaultExtension);

// The 1-based table index of the first selected row, or 0 when no row is selected or the row
// names no record of Chunks().
std::size_t SelectedChunk(ui::Window window);

// RefreshChunkList, then a "stowr - error" box when the executable exists but cannot be read.
void RefreshAndReport(ui::Window window);
// The same after a change of the executable was tried: ReportOutcome of its status (`what` and
// `path` name the failure), then the refresh's failure if no failure was reported yet.
void RefreshAfterChange(ui::Window window, const std::string& what, const std::string& path, const Status& changed);

// Shows a "stowr - error" box owned by window: what failed, the file and the reason.
void ReportFileFailure(ui::Window window, const std::string& what, const std::string& path, const Status& status);
// The same for a failed status; a "stowr - warning" box for a success with a warning; nothing when
// the user cancelled.
void ReportOutcome(ui::Window window, const std::string& what, const std::string& path, const Status& status);
