#pragma once
// Telling the user how a file operation went.
#include <string>

#include "platform/status.h"
#include "platform/ui.h"

// Shows a "stowr - error" box owned by window: what failed, the file and the reason.
void ReportFileFailure(ui::Window window, const std::string& what, const std::string& path, const Status& status);
// The same for a failed status; a "stowr - warning" box for a success with a warning; nothing when
// the user cancelled.
void ReportOutcome(ui::Window window, const std::string& what, const std::string& path, const Status& status);
