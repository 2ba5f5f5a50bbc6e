#pragma once
// A fake user interface for native tests. ui_fake.cpp implements every function of ui.h without
// a screen: it records what the logic asked for (windows, controls, list rows, colours, message
// boxes, file dialogs) and answers dialogs from queues that the test fills beforehand.
//
// Typical use:
//   fake::Reset();
//   fake::QueueMessageAnswer(ui::kIdYes);
//   fake::QueueStep("stowr - Tailpack Manager v0.1", [](ui::Window w) { fake::Click(w, 1007); });
//   OpenMainWindow(nullptr);
//   const fake::WindowRecord& main = *fake::FindWindow("stowr - Tailpack Manager v0.1");
//
// RunModal sends kInitDialog to the handler, shows the window, delivers what was posted to it,
// then runs the next step queued for the window's title (if any) and delivers what that posted,
// then ends the window with 0 unless the handler or the step ended it already, as the close box
// would. Records stay readable after the window has ended, until Reset. Handlers are called
// directly, not through CallHandler, so that an exception (a fault of the logic or of the test)
// reaches the test.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace fake {

struct ControlRecord {
  ui::ControlLayout layout;  // as created
  std::string text;      // current text
  bool enabled = true;   // false when created with style::kDisabled or disabled since
  bool colorsSet = false;
  ui::Color textColor, background;
  ui::Font font = nullptr;
  int clearSelectionPosts = 0;  // PostClearSelection calls
  int caretToStartPosts = 0;    // PostCaretToStart calls
  // List views only.
  std::vector<ui::Column> columns;
  std::uint32_t listExStyle = 0;
  std::vector<std::vector<std::string>> rows;  // rows[r][c], 0-based
  std::set<int> selected;                      // 0-based rows
};

struct WindowRecord {
  ui::WindowLayout layout;
  std::map<int, ControlRecord> controls;
  ui::Handler handler;     // set while RunModal runs
  bool running = false;    // inside RunModal
  bool shown = false;      // RunModal has shown it (after kInitDialog)
  std::vector<std::uint32_t> posted;  // Post calls not yet delivered
  bool ended = false;
  std::intptr_t endValue = 0;
  int redraws = 0;         // RedrawAll calls
  int focusedControl = 0;  // last FocusControl id
  bool acceptsDrops = false;  // AcceptDroppedFiles was called
  std::vector<ui::MenuItem> windowMenu;  // the items AddWindowMenuItem added
};

struct MessageRecord {
  ui::Window owner = nullptr;
  bool ownerShown = false;  // the owner was on screen when the box came up
  std::string text, caption;
  std::uint32_t flags = 0;
};

struct FileDialogRecord {
  ui::Window owner = nullptr;
  bool save = false;  // AskSaveFile rather than AskOpenFile
  ui::FileDialogOptions options;
};

struct FontRecord {
  std::string face;
  int points = 0;
  bool released = false;
};

// One RunTask: what its progress window would say, and whether Cancel was pressed.
struct TaskRecord {
  ui::Window owner = nullptr;
  std::string title, what, path;
  bool cancellable = true;
  bool cancelled = false;
};

// One ShowPopupMenu.
struct MenuRecord {
  ui::Window window = nullptr;
  ui::Point at;
  std::vector<ui::MenuItem> items;
};

using Step = std::function<void(ui::Window)>;

// Forgets every window, font, record and queued answer.
void Reset();

// Answers, consumed in order. A message box with nothing queued answers IDOK for MB_OK boxes and
// IDNO otherwise; a file dialog with nothing queued is cancelled (empty answer = cancel too).
void QueueMessageAnswer(int answer);
void QueueFileAnswer(const std::string& path);
// Runs step once RunModal has initialised the next window with this title, or once the work of
// the next RunTask with this title has finished (the step then gets the task's owner).
void QueueStep(const std::string& title, Step step);
// Presses Cancel in the next RunTask that can be cancelled, before its work starts, so that the
// work sees it at once.
void QueueCancel();
// The id the next popup menu answers (0: dismissed; a disabled item answers 0 too).
void QueueMenuAnswer(int id);

// What was shown or asked, in order.
const std::vector<MessageRecord>& Messages();
const std::vector<FileDialogRecord>& FileDialogs();
const std::vector<TaskRecord>& Tasks();
const std::vector<MenuRecord>& Menus();
// Every window created so far, oldest first.
std::vector<ui::Window> Windows();

// The record behind a handle, and the newest window with this title (nullptr when none).
WindowRecord& Record(ui::Window window);
WindowRecord* FindWindow(const std::string& title);
ControlRecord& Control(ui::Window window, int id);
const FontRecord& Font(ui::Font font);

// Acting as the user inside a step: each sends a message to the running handler.
std::intptr_t Send(ui::Window window, std::uint32_t message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
void Click(ui::Window window, int id);  // kCommand with id (code BN_CLICKED)
void PressEnter(ui::Window window);     // command 1
void PressEscape(ui::Window window);    // command 2
// Replaces the selection of a list view (0-based rows; empty clears it).
void SelectRows(ui::Window window, int id, const std::set<int>& rows);
// The cells of a list view's rows, as shown.
const std::vector<std::vector<std::string>>& Rows(ui::Window window, int id);


}  // namespace fake
