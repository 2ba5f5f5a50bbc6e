#pragma once
// Reading the executable's chunks again into Chunks() and the Main window's list.
#include <string>

#include "platform/status.h"
#include "platform/ui.h"

// Rebuilds Chunks() and the list from a fresh scan of ExePath() and sets labels and buttons.
// Returns the scan's status; a table that could not be read is left empty.
Status RefreshChunkList(ui::Window window);
// RefreshChunkList, then a "stowr - error" box when the executable exists but cannot be read.
void RefreshAndReport(ui::Window window);
// The same after a change of the executable was tried: ReportOutcome of its status (`what` and
// `path` name the failure), then the refresh's failure if no failure was reported yet.
void RefreshAfterChange(ui::Window window, const std::string& what, const std::string& path, const Status& changed);
