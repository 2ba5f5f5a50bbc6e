#pragma once
// Whether the executable can take a change, found out before the user is asked anything.
#include <string>

#include "platform/status.h"
#include "platform/ui.h"

// The checks the write of exe will make, made now: the file may be replaced (not read-only, not a
// folder, not held by another program) and its folder takes the new file. A missing file passes,
// as the edit's read reports it; so does a file another stowr change holds, since the edit waits
// for it. The write checks all of it again.
Status CheckWritable(const std::string& exe);
// CheckWritable(ExePath()): false after reporting a refusal as the write would report it.
bool ExeCanChange(ui::Window window);
