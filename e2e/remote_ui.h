#pragma once
// Driving another process's windows from outside: start and end it, find its windows by title
// with time limits, read and press its controls, read its list view, answer its dialogs.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

inline constexpr int kWindowWait = 10000;  // ms to wait for a window to appear or go
inline constexpr int kExitWait = 10000;    // ms to wait for the process to end

// Polls done() every 20 ms until it holds or timeoutMs have passed; true when it held.
bool PollUntil(const std::function<bool()>& done, int timeoutMs);

// A started program. Ending the object ends the process if it is still running.
struct App {
  PROCESS_INFORMATION process{};
  HWND main = nullptr;
  App() = default;
  App(const App&) = delete;
  App& operator=(const App&) = delete;
  ~App();
};

// Starts program with the given argument text after its quoted name, in folder.
bool StartProgram(const std::string& program, const std::string& args, const std::string& folder, App& app,
                  std::string& why);
// Waits for the process to end and gives its exit code; false on time-out.
bool WaitForExit(App& app, int timeoutMs, DWORD& exitCode);

// Polls until a visible top-level window of the process has exactly this title (and this class,
// when className is not empty); nullptr on time-out.
HWND WaitForWindow(const App& app, const std::string& title, const std::string& className = "",
                   int timeoutMs = kWindowWait);
// True when no window of the process has this title any more, waiting up to timeoutMs.
bool WaitForWindowGone(const App& app, const std::string& title, int timeoutMs = kWindowWait);
// Every visible top-level window of the process.
std::vector<HWND> TopWindows(const App& app);
// Returns once the window's thread is back in its message loop (sent messages overtake posted
// ones, so this does not wait for what was posted before); false after 5 s.
bool Sync(HWND window);
// Returns once the thread of button has handled every message posted to it before, by posting
// a push-state change behind them and waiting until it shows; false when the button went away.
bool Drain(HWND button);
// The same for an EDIT control.
bool DrainEdit(HWND edit);

std::string WindowText(HWND window);
std::string ClassOf(HWND window);
std::string ControlText(HWND parent, int id);
bool ControlEnabled(HWND parent, int id);
// Searches the whole tree under parent, not only direct children.
HWND FindDescendant(HWND parent, int id);
// Posts a click, which returns at once even when the button opens a modal dialog.
void Click(HWND parent, int id);
// Presses a dialog button by posting the command it sends.
void PressDialogButton(HWND dialog, int id);

// The list view of another process, read through a buffer in that process.
int ListRowCount(HWND list);
std::vector<int> SelectedRows(HWND list);  // 0-based, top first
std::string ListCell(const App& app, HWND list, int row, int column);
std::vector<std::vector<std::string>> ListCells(const App& app, HWND list, int columns);
std::string ListHeader(const App& app, HWND list, int column);
// Sets the selection state of one row, or of every row when row is -1.
bool SetRowSelected(const App& app, HWND list, int row, bool selected);

// Drops files on window as the desktop does: WM_DROPFILES with a DROPFILES block of UTF-16
// paths in the app's memory (the block is left there; it goes with the process).
bool DropFiles(const App& app, HWND window, const std::vector<std::string>& paths);

// The text of a message box: its static control with the most text.
std::string MessageBoxText(HWND box);
// Types path into the file name box of an open dialog and presses its OK button.
bool AnswerOpenDialog(HWND dialog, const std::string& path);

// The control of the app's GUI thread that has the keyboard focus, or nullptr.
HWND FocusedWindow(const App& app);
// Posts a key press and release to the focused control (or to the main window when none).
void PostKey(const App& app, WORD key);
// Makes hwnd the focused control of its thread.
bool FocusControl(const App& app, HWND control);
// Brings the app's main window to the front; typed keys need it there.
bool BringToFront(const App& app);
// The pixels of a window's client area as the screen shows them, rows top first, 0x00RRGGBB;
// empty when the copy failed.
std::vector<std::uint32_t> CaptureClient(HWND window, int& width, int& height);
// Types a key as the keyboard would, with modifier (VK_CONTROL, VK_SHIFT, VK_MENU) held when given:
// it goes to the foreground window's focused control.
void TypeKey(WORD key, WORD modifier = 0);
// The screen rectangle of a list row (its bounds); false when the list does not have it.
bool RowRect(const App& app, HWND list, int row, RECT& rect);
// Moves the mouse to a screen point and clicks the left (twice: double-clicks) or right button.
void MouseClick(POINT at, bool right, bool twice = false);
// A visible top-level window of the app of this class, other than except, waiting for it;
// nullptr on time-out. "#32770" is a dialog's (a message box, a file dialog).
HWND WaitForClass(const App& app, const std::string& className, HWND except = nullptr);
// The app's visible popup menu, waiting for it; nullptr on time-out.
HWND WaitForMenu(const App& app);
// The items of a popup menu as the screen shows them: the menu's client area cut into `items`
// bands of equal height, each true when it holds black text (enabled) and false when its text is
// only grey (greyed). Empty when the menu could not be captured.
std::vector<bool> MenuItemsEnabled(HWND menu, int items);
// Clicks item (0-based) of a popup menu of `items` items.
void ClickMenuItem(HWND menu, int item, int items);

}  // namespace e2e
