// Win32 user interface: waiting for work on another thread (RunTask) and the progress window.
// The wait is a message loop of its own around a disabled owner, like a modal run whose window
// shows only once the work has taken a while.
#include "platform/ui_win32_internal.h"
// (needs <windows.h> above it)
#include <commctrl.h>

#include "platform/window_ids.h"

namespace ui {

using namespace win32;

namespace {

constexpr DWORD kTickMs = 20;
constexpr int kBarSteps = 1000;

WindowLayout ProgressLayout(Window owner, const Task& task) {
  using namespace style;
  WindowLayout layout;
  layout.title = task.title;
  layout.clientWidth = 300;
  layout.clientHeight = 102;
  layout.style = kPopup | kClipSiblings | kCaption | kDsModalFrame | kDs3dLook;
  layout.exStyle = kExControlParent;
  layout.owner = owner;
  const std::uint32_t cancel = kBsPushButton | kBsCenter | kBsVCenter | kTabStop | (task.cancellable ? 0 : kDisabled);
  layout.controls = {
      {kProgressWhat, kStatic, task.what, 8, 8, 284, 16, kSsLeft, 0},
      {kProgressPath, kStatic, task.path, 8, 26, 284, 16, kSsLeft | kSsPathEllipsis, 0},
      {kProgressBar, PROGRESS_CLASSA, "", 8, 48, 284, 16, 0, 0},
      {kProgressFigure, kStatic, "", 8, 76, 98, 16, kSsLeft, 0},
      {IDCANCEL, kButton, "Cancel", 110, 72, 80, 24, cancel, 0},
  };
  return layout;
}

void CenterOver(HWND window, HWND owner) {
  RECT outer{}, over{};
  GetWindowRect(window, &outer);
  GetWindowRect(owner, &over);
  const int x = over.left + ((over.right - over.left) - (outer.right - outer.left)) / 2;
  const int y = over.top + ((over.bottom - over.top) - (outer.bottom - outer.top)) / 2;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Cancel, Escape and the system Close all ask the work to stop, once; nothing closes the window
// but the end of the work.
std::intptr_t OnProgressMessage(Task& task, Window window, std::uint32_t message, std::uintptr_t wParam) {
  const bool cancel = (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || message == WM_CLOSE;
  if (!cancel) return 0;
  if (task.cancellable && !task.cancelled.exchange(true)) EnableControl(window, IDCANCEL, false);
  return 1;
}

HWND ShowProgressWindow(Window owner, Task& task) {
  Window window = CreateWindowFromLayout(ProgressLayout(owner, task));
  WindowState* state = StateOf(Hwnd(window));
  if (!state) return nullptr;
  state->handler = [&task](Window w, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
    return OnProgressMessage(task, w, message, wParam);
  };
  SendDlgItemMessageA(Hwnd(window), kProgressBar, PBM_SETRANGE32, 0, kBarSteps);
  CenterOver(Hwnd(window), Hwnd(owner));
  KeepInWorkArea(Hwnd(window));
  ShowWindow(Hwnd(window), SW_SHOW);
  if (task.cancellable) SetFocus(GetDlgItem(Hwnd(window), IDCANCEL));
  return Hwnd(window);
}

// How much of how much, under the bar, when the work has a measure and the task says how to tell it.
void ShowFigure(HWND window, const Task& task, std::uint64_t done, std::uint64_t total) {
  const std::string figure = total > 0 && task.figure ? task.figure(done, total) : std::string();
  if (GetText(window, kProgressFigure) != figure) SetText(window, kProgressFigure, figure);
}

// The bar follows done / total (its range is set when the window is made); while the work has no
// measure it moves to and fro.
void ShowDone(HWND window, const Task& task) {
  HWND bar = GetDlgItem(window, kProgressBar);
  const std::uint64_t total = task.total.load(), done = task.done.load();
  const LONG_PTR style = GetWindowLongPtrA(bar, GWL_STYLE);
  const bool marquee = (style & PBS_MARQUEE) != 0;
  ShowFigure(window, task, done, total);
  if (total == 0) {
    if (marquee) return;
    SetWindowLongPtrA(bar, GWL_STYLE, style | PBS_MARQUEE);
    SendMessageA(bar, PBM_SETMARQUEE, TRUE, 30);
    return;
  }
  if (marquee) {
    SendMessageA(bar, PBM_SETMARQUEE, FALSE, 0);
    SetWindowLongPtrA(bar, GWL_STYLE, style & ~static_cast<LONG_PTR>(PBS_MARQUEE));
    SendMessageA(bar, PBM_SETRANGE32, 0, kBarSteps);
  }
  const auto position = static_cast<WPARAM>((done >= total ? total : done) * kBarSteps / total);
  if (SendMessageA(bar, PBM_GETPOS, 0, 0) != static_cast<LRESULT>(position)) SendMessageA(bar, PBM_SETPOS, position, 0);
}

// Hands every waiting message on; a WM_QUIT is kept for the outer loop. Keys for the waiting owner
// are dropped: like a window under a modal one, it takes no input until the work has ended.
void DispatchWaiting(HWND owner, HWND progress, bool& quit, WPARAM& quitCode) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit = true;
      quitCode = msg.wParam;
      continue;
    }
    const bool key = msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST;
    if (key && owner && (msg.hwnd == owner || IsChild(owner, msg.hwnd))) continue;
    if (progress && IsDialogMessageA(progress, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Gives the owner back its input even when starting the work fails. The owner is enabled before
// the progress window goes, so that Windows hands the activation back to it.
struct Waiting {
  HWND owner = nullptr;
  bool disabledHere = false;
  HWND progress = nullptr;
  ~Waiting() {
    if (disabledHere) EnableWindow(owner, TRUE);
    if (!progress) return;
    const bool active = GetActiveWindow() == progress;
    DestroyWindow(progress);
    if (active && IsWindow(owner)) SetActiveWindow(owner);
  }
};

}  // namespace

void RunTask(Window owner, Task& task, const std::function<void()>& start) {
  Waiting waiting;
  waiting.owner = Hwnd(owner);
  waiting.disabledHere = waiting.owner && IsWindowEnabled(waiting.owner);
  if (waiting.disabledHere) EnableWindow(waiting.owner, FALSE);
  start();
  const ULONGLONG begin = GetTickCount64();
  bool quit = false;
  WPARAM quitCode = 0;
  while (!task.finished.load()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kTickMs, QS_ALLINPUT);
    DispatchWaiting(waiting.owner, waiting.progress, quit, quitCode);
    if (!waiting.progress && GetTickCount64() - begin >= static_cast<ULONGLONG>(kProgressDelayMs) &&
        IsWindowVisible(waiting.owner))
      waiting.progress = ShowProgressWindow(owner, task);
    if (waiting.progress) ShowDone(waiting.progress, task);
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

}  // namespace ui
