#pragma once
// The user interface as plain functions over opaque window handles. ui_win32.cpp implements
// them with the ANSI Win32 calls, which take UTF-8 text (the program's manifest sets the UTF-8
// code page); ui_fake.cpp records what the logic asked for and answers dialogs from a script,
// for native tests. The logic is compiled once and linked with either.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ui {

using Window = void*;  // HWND on Windows; a recorded window in the fake

// Window message numbers and parameters the logic sees (the Win32 values).
inline constexpr std::uint32_t kInitDialog = 0x0110;  // WM_INITDIALOG
inline constexpr std::uint32_t kCommand = 0x0111;     // WM_COMMAND: low word of wParam = id, high word = code
inline constexpr std::uint32_t kAppMessage = 0x8000;  // WM_APP: the first number free for the program's own
inline constexpr int kIdOk = 1;                       // Enter
inline constexpr int kIdCancel = 2;                   // Escape
// WM_DROPFILES, handed on only for files dropped on an enabled window that accepts drops: lParam
// points at their paths (a const std::vector<std::string>, in the order dropped, folders left
// out), never empty.
inline constexpr std::uint32_t kDropFiles = 0x0233;

// Input the Win32 layer hands a window's handler as messages of its own (numbers far above those
// the program uses from kAppMessage on).
// kKeyDown: a key pressed while the window or one of its controls has the focus, before the dialog
// navigation sees it; wParam is the virtual-key code, plus kWithCtrl while Ctrl is held, lParam
// the id of the focused control (0: the window itself). A handler that answers non-zero takes the
// key.
inline constexpr std::uint32_t kKeyDown = 0xBF00;
inline constexpr std::uintptr_t kKeyReturn = 0x0D, kKeyDelete = 0x2E, kKeyF5 = 0x74;
inline constexpr std::uintptr_t kWithCtrl = 0x10000;
// kListDoubleClick: a list view was double-clicked; wParam is its id, lParam the 0-based row under
// the pointer (-1: empty space).
inline constexpr std::uint32_t kListDoubleClick = 0xBF01;
// kContextMenu: the user asked for a context menu (right button, Shift+F10, the menu key); wParam
// is the id of the control it was asked over (0: the window), lParam points at a ContextRequest.
inline constexpr std::uint32_t kContextMenu = 0xBF02;

// The message handler of a window: called for every message; returns 0 for "not handled".
using Handler = std::function<std::intptr_t(Window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

// Control classes.
inline constexpr const char* kStatic = "STATIC";
inline constexpr const char* kButton = "BUTTON";
inline constexpr const char* kEdit = "EDIT";
inline constexpr const char* kListView = "SysListView32";

// Style bits (the Win32 values), so the logic can state its layout without <windows.h>.
namespace style {
inline constexpr std::uint32_t kPopup = 0x80000000, kChild = 0x40000000, kVisible = 0x10000000,
                               kDisabled = 0x08000000, kClipSiblings = 0x04000000, kCaption = 0x00C00000,
                               kBorder = 0x00800000, kVScroll = 0x00200000, kSysMenu = 0x00080000,
                               kTabStop = 0x00010000, kMinimizeBox = 0x00020000;
inline constexpr std::uint32_t kDsModalFrame = 0x80, kDs3dLook = 0x4, kDsSetFont = 0x40, kDsNoFailCreate = 0x10;
inline constexpr std::uint32_t kExControlParent = 0x00010000, kExStaticEdge = 0x00020000, kExClientEdge = 0x00000200;
inline constexpr std::uint32_t kSsLeft = 0x0, kSsOwnerDraw = 0xD, kSsSunken = 0x1000, kSsPathEllipsis = 0x8000;
inline constexpr std::uint32_t kBsPushButton = 0x0, kBsCenter = 0x300, kBsVCenter = 0xC00;
inline constexpr std::uint32_t kEsMultiline = 0x4, kEsUppercase = 0x8, kEsAutoVScroll = 0x40, kEsAutoHScroll = 0x80,
                               kEsReadOnly = 0x800, kEsWantReturn = 0x1000;
inline constexpr std::uint32_t kLvsReport = 0x1, kLvsShowSelAlways = 0x8, kLvsOwnerData = 0x1000;
inline constexpr std::uint32_t kLvsExGridLines = 0x1, kLvsExFullRowSelect = 0x20;
}  // namespace style

struct ControlLayout {
  int id = 0;
  const char* className = kStatic;
  std::string text;
  int x = 0, y = 0, width = 0, height = 0;
  std::uint32_t style = 0;  // kChild | kVisible are always added
  std::uint32_t exStyle = 0;
};

struct Point {
  int x = 0, y = 0;
};

// Sizes, positions and offsets in layouts are pixels at 96 DPI. The Win32 layer scales them by
// DPI/96 for the monitor the window is on (so at 96 DPI they are exactly the pixels on screen);
// screen coordinates it hands back (a context menu's point) are the screen's own pixels.
struct WindowLayout {
  std::string title;
  int clientWidth = 0, clientHeight = 0;  // the client area is exactly this size
  std::uint32_t style = 0, exStyle = 0;
  Window owner = nullptr;
  bool centerInWorkArea = true;  // otherwise the outer top-left corner goes to the owner's client
  Point offsetFromOwnerClient;   // origin plus this offset
  std::vector<ControlLayout> controls;  // created in this order, which is the tab order
};

// Builds the window hidden, with the "MS Sans Serif" 8 point font on every control and the
// "ICO1" icons (32 x 32 large, 16 x 16 small).
Window CreateWindowFromLayout(const WindowLayout& layout);
// Adds one more control to an existing window (given the window's font).
void AddControl(Window window, const ControlLayout& control);
// Lets the user drop files on the window; the handler then gets kDropFiles.
void AcceptDroppedFiles(Window window);
// Adds an item to the end of the window's window menu (Alt+Space), after a line; choosing it
// sends the handler kCommand with id. The low four bits of id must be 0 and id below 0xF000,
// as the system keeps the others for its own commands.
void AddWindowMenuItem(Window window, int id, const std::string& text);

// Runs window modally: the owner is disabled, the handler gets kInitDialog, the window is shown
// (SW_SHOW), messages are dispatched until EndModal; then the window is destroyed, the owner
// enabled again and given the focus. Enter and Escape reach the handler as commands 1 and 2 and
// close nothing by themselves; the system Close ends the window with 0. Returns the end value.
std::intptr_t RunModal(Window window, Handler handler);
void EndModal(Window window, std::intptr_t value);
// Calls handler for one message of window, as every modal run does (ui_handler.cpp). An exception
// that escapes the handler ends the action, not the program: it is reported in a "stowr - error"
// box owned by window, and the message counts as not handled.
std::intptr_t CallHandler(const Handler& handler, Window window, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam);
// Queues message for window: its handler gets it once the modal run is back in its loop, which
// is after the window has been shown when posted during kInitDialog.
void Post(Window window, std::uint32_t message);

// Controls.
void SetText(Window window, int id, const std::string& text);
// Shows bytes read from a file as characters of the system's legacy single-byte code page (the
// one the program's ANSI text used before it ran with UTF-8), so they read as they always did.
void SetByteText(Window window, int id, const std::string& bytes);
std::string GetText(Window window, int id);
void EnableControl(Window window, int id, bool enabled);
bool ControlEnabled(Window window, int id);
void FocusControl(Window window, int id);  // also brings window to the foreground
void RedrawAll(Window window);             // the window and all its children, at once

// Colours of a STATIC or read-only EDIT control from now on (WM_CTLCOLORSTATIC), with a solid
// background brush. kSystemWindowText stands for the system window-text colour.
struct Color {
  int r = 0, g = 0, b = 0;
};
inline constexpr Color kSystemWindowText{-1, -1, -1};
void SetControlColors(Window window, int id, Color text, Color background);

// A font of the given face and point size for window's DPI (normal weight, ANSI character set).
using Font = void*;
Font CreateFontFace(Window window, const std::string& face, int points);
void SetControlFont(Window window, int id, Font font);
void ReleaseFont(Font font);
// Posts EM_SETSEL(-1, 0) to an EDIT control: handled once the modal run has begun.
void PostClearSelection(Window window, int id);
// Posts EM_SETSEL(0, 0) and EM_SCROLLCARET to an EDIT control: the caret at the first character,
// in view, once the modal run has begun (after the focus has selected the text).
void PostCaretToStart(Window window, int id);

// List view (report mode, owner data). Rows are 0-based here. The list holds no text of its own:
// it asks for the cells of the rows it shows when it draws them, so a list of any length costs
// only the rows on screen.
struct Column {
  std::string header;
  int width = 0;
};
void AddListColumns(Window window, int id, const std::vector<Column>& columns);  // all left-aligned
void AddListExtendedStyle(Window window, int id, std::uint32_t exStyle);  // read, add, set
void ListDeleteAll(Window window, int id);
// The text of cell (row, column); asked for again whenever the list draws the cell.
using CellText = std::function<std::string(int row, int column)>;
// Gives the list count rows, none selected, whose cells come from cellText from now on. Typing
// in the list selects the next row whose first cell begins with what was typed, as in a list
// that holds its text.
void ListSetRows(Window window, int id, int count, CellText cellText);
void ListSelect(Window window, int id, int row);
// Selects row alone, gives it the focus and scrolls it into view.
void ListSelectOnly(Window window, int id, int row);
// The lowest-numbered selected row, 1-based, or 0 when no row is selected.
int ListFirstSelected(Window window, int id);

// Work that runs on a thread of its own while the window that started it waits (RunTask). The
// work writes done, total and finished; the waiting window sets cancelled.
struct Task {
  std::string title;             // the progress window's caption
  std::string what, path;        // its two lines: what is being done, and to which file
  bool cancellable = true;       // whether its Cancel button can be pressed
  std::atomic<std::uint64_t> done{0}, total{0};  // total 0: no measure of the work
  std::atomic<bool> cancelled{false};            // Cancel was pressed
  std::atomic<bool> finished{false};             // the work has ended (set last)
  // The figure shown under the bar while the work has a measure ("412 of 1,124 MB"); none when empty.
  std::function<std::string(std::uint64_t done, std::uint64_t total)> figure;
};
// How long work may take before the progress window shows.
inline constexpr int kProgressDelayMs = 500;

// Calls start, which sets the work going on another thread, and returns once task.finished. Until
// then owner stays alive but takes no input: it is disabled, and messages are dispatched, so it
// repaints and answers. Work that takes longer than kProgressDelayMs, while owner is on screen,
// shows a small progress window owned by owner: the two lines, a bar at done / total (moving to
// and fro while total is 0), the task's figure and a Cancel button that sets cancelled; Escape presses it too.
// Afterwards owner is enabled and active again, as after a modal window.
void RunTask(Window owner, Task& task, const std::function<void()>& start);

// Message boxes: flags and results are the Win32 values.
inline constexpr std::uint32_t kMbOk = 0x0, kMbYesNo = 0x4, kMbIconError = 0x10, kMbIconQuestion = 0x20,
                               kMbIconWarning = 0x30, kMbIconInformation = 0x40, kMbDefaultButton2 = 0x100;
inline constexpr int kIdYes = 6, kIdNo = 7;
int ShowMessage(Window owner, const std::string& text, const std::string& caption, std::uint32_t flags);
// The program's error box: text under the caption "stowr - error", with an OK button and the
// error icon (ui_handler.cpp).
void ShowError(Window owner, const std::string& text);

// Where a context menu was asked for: over a list, the 0-based row clicked (from the keyboard, the
// first selected row), or -1 for empty space; and the screen point where the menu goes.
struct ContextRequest {
  int row = -1;
  Point at;
};
// One item of a popup menu; a disabled one is greyed and cannot be chosen.
struct MenuItem {
  int id = 0;
  std::string text;
  bool enabled = true;
};
// Shows a popup menu of items at a screen point, over window, and waits for the choice: the id of
// the chosen item, or 0 when the menu was dismissed.
int ShowPopupMenu(Window window, Point at, const std::vector<MenuItem>& items);

// Open and Save As dialogs (GetOpenFileNameA / GetSaveFileNameA).
inline constexpr std::uint32_t kOfnOverwritePrompt = 0x2, kOfnHideReadOnly = 0x4, kOfnNoChangeDir = 0x8,
                               kOfnEnableHook = 0x20, kOfnPathMustExist = 0x800, kOfnFileMustExist = 0x1000,
                               kOfnExplorer = 0x80000;
struct FileDialogOptions {
  std::string title;
  std::string filterDescription, filterPattern;  // one filter pair
  std::string defaultExtension;                  // empty: none
  std::string initialFolder;
  std::string initialName;                       // at most its first 259 characters are used
  std::size_t bufferSize = 260;                  // bytes for the chosen name
  std::uint32_t flags = 0;
  // When the dialog initialises, its top-left corner moves to the owner's outer top-left plus
  // this offset (pixels at 96 DPI), its size unchanged; optionally it comes to the foreground.
  Point offsetFromOwner;
  bool bringToForeground = false;
};
// The chosen full path, or empty when cancelled.
std::string AskOpenFile(Window owner, const FileDialogOptions& options);
std::string AskSaveFile(Window owner, const FileDialogOptions& options);

}  // namespace ui
