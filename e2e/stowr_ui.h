#pragma once
// What the cases know of stowr's windows: their titles and control ids (the program's own), and
// the steps most cases share.
#include <string>

#include "e2e/check.h"
#include "e2e/remote_ui.h"
#include "platform/window_ids.h"  // the program's own window titles and control ids

namespace e2e {

inline constexpr int kListColumns = 5;  // of the Main window's chunk list

// Starts stowr.exe with the argument text in the case folder and waits for the Main window.
bool OpenStowr(Run& run, App& app, const std::string& args);
// Waits for a message box of the app with this caption, checks its text, presses the button,
// and returns once the Main window is back in its message loop.
bool AnswerBox(Run& run, App& app, const std::string& caption, const std::string& text, int button);
// Presses a Main window button that opens a confirmation and answers it.
bool ConfirmAction(Run& run, App& app, int buttonId, const std::string& caption, int answer);
// Clicks "Add Tailpack", picks file in "Select resource" and returns the Add dialog.
HWND OpenAddDialog(Run& run, App& app, const std::string& file);
// Types text into the Add dialog's descriptor box and presses OK.
bool TypeDescriptor(HWND dialog, const std::string& text);
// Selects row (0-based), presses "Preview" and returns the Viewer once it is shown, owned by the
// Main window, with the Main window disabled behind it.
HWND OpenViewer(Run& run, App& app, int row);
// Closes the Viewer from its system menu; the Main window comes back enabled and with the focus.
bool CloseViewer(Run& run, App& app, HWND viewer);
// Closes the Main window from its system menu and checks that the process ends with code 0.
bool CloseStowr(Run& run, App& app);
// Fails unless the count label, the row count and the enabled state of 1006..1011 agree with a
// list of `chunks` rows shown for a chosen executable (or none when pathChosen is false). Waits
// first for the count label to read right, so it also waits for an action's refresh to end.
bool ExpectListState(Run& run, App& app, int chunks, bool pathChosen);

}  // namespace e2e
