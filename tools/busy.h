#pragma once
// Long work off the window's thread: writes, extractions and the scan of a refresh run on a worker
// while the window stays alive and, when it takes a while, shows a progress window.
#include <functional>
#include <string>

#include "platform/progress.h"
#include "platform/ui.h"
#include "platform/window_ids.h"  // kBusyTitle

// Runs work on a thread of its own while owner waits for it (ui::RunTask): the window repaints and
// answers throughout, and work that takes a while shows `what` and `path` in a progress window
// whose Cancel makes the Progress handed to work answer false from then on. Work that cannot stop
// is run with cancellable false. An exception thrown by work is thrown again here, on the
// window's thread.
void RunBusy(ui::Window owner, const std::string& what, const std::string& path, bool cancellable,
             const std::function<void(const Progress& progress)>& work);

// True while RunBusy waits: a command that reaches a window meanwhile must not start another action.
bool Busy();
