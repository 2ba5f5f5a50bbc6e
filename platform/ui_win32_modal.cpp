// Win32 user interface: the dialog procedure shared by all our windows and the modal engine.
//
// Every message goes to the window's handler first (while RunModal runs); what the handler
// leaves at 0 gets our defaults: WM_CTLCOLORSTATIC answered from SetControlColors, the owner-data
// list views' questions answered from ListSetRows, WM_CLOSE ending the run with 0, and otherwise
// the system dialog procedure. The system dialog procedure
// never ends a window by itself on IDOK or IDCANCEL, so Enter and Escape (turned into commands
// 1 and 2 by IsDialogMessageA) close nothing unless the handler says so.
#include "platform/ui_win32_internal.h"

namespace ui {

using namespace win32;

namespace {

void FreeState(WindowState* state) {
  if (state->run) state->run->ended = true;
  for (auto& [id, colors] : state->colors) {
    if (colors.brush) DeleteObject(colors.brush);
  }
  if (state->font) DeleteObject(state->font);
  if (state->bigIcon) DestroyIcon(state->bigIcon);
  if (state->smallIcon) DestroyIcon(state->smallIcon);
  delete state;
}

void EndRun(WindowState& state, std::intptr_t value) {
  if (state.run) {
    state.run->ended = true;
    state.run->value = value;
  } else {
    state.endedEarly = true;
    state.earlyValue = value;
  }
}

INT_PTR OnCtlColorStatic(WindowState& state, HDC dc, HWND control) {
  auto found = state.colors.find(GetDlgCtrlID(control));
  if (found == state.colors.end()) return FALSE;
  const ControlColors& colors = found->second;
  SetTextColor(dc, ToColorRef(colors.text, COLOR_WINDOWTEXT));
  SetBkColor(dc, ToColorRef(colors.background, COLOR_WINDOW));
  return reinterpret_cast<INT_PTR>(colors.brush);
}

// A dialog procedure returns most results through DWLP_MSGRESULT; these messages return theirs
// directly.
bool ReturnsDirectly(UINT message) {
  return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_INITDIALOG ||
         message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
         message == WM_QUERYDRAGICON;
}

// Gives the focus to the first tab stop when the window has shown without the focus inside it.
void FocusFirstControl(HWND window) {
  HWND focus = GetFocus();
  if (focus && (focus == window || IsChild(window, focus))) return;
  HWND first = GetNextDlgTabItem(window, nullptr, FALSE);
  SetFocus(first ? first : window);
}

// Gives the owner back its place: active, with the focus inside it.
void Reactivate(HWND owner) {
  SetActiveWindow(owner);
  HWND focus = GetFocus();
  if (!focus || (focus != owner && !IsChild(owner, focus))) SetFocus(owner);
}

// A key pressed in the window goes to its handler as kKeyDown before the dialog navigation; true
// when the handler took it. The state is looked up again, as the window may have gone.
//
// The menu key and Shift+F10 ask the focused control for its context menu when pressed (the
// system would ask on the release, and not at all for a key that was only posted); their releases
// are dropped, so that the request comes once.
bool ContextKey(const MSG& msg) {
  const bool shiftF10 = msg.wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0;
  return msg.wParam == VK_APPS || shiftF10;
}

bool TakenKey(HWND window, const WindowState& run, const MSG& msg) {
  const bool down = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  const bool up = msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP;
  if ((!down && !up) || (msg.hwnd != window && !IsChild(window, msg.hwnd))) return false;
  if (ContextKey(msg)) {
    if (down) SendMessageA(msg.hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(msg.hwnd), -1);
    return true;
  }
  if (msg.message != WM_KEYDOWN) return false;
  if (StateOf(window) != &run || !run.handler) return false;
  const int id = msg.hwnd == window ? 0 : GetDlgCtrlID(msg.hwnd);
  const WPARAM key = msg.wParam | (GetKeyState(VK_CONTROL) < 0 ? kWithCtrl : 0);
  return CallHandler(run.handler, window, kKeyDown, key, id) != 0;
}

}  // namespace

namespace win32 {

WindowState* StateOf(HWND window) {
  return window ? reinterpret_cast<WindowState*>(GetWindowLongPtrA(window, DWLP_USER)) : nullptr;
}

// CreateDialogIndirectParamA delivers our WindowState with the first WM_INITDIALOG; that one is
// the system's, sent before any control exists, and is not passed on. The handler gets its own
// kInitDialog from RunModal.
INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowState* state = StateOf(window);
  if (!state) {
    if (message == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, lParam);
    return FALSE;
  }
  if (message == WM_DROPFILES) return OnDropFiles(window, *state, wParam);
  if (message == WM_DPICHANGED) state->dpi = LOWORD(wParam);  // the dialog manager re-lays out
  if (state->handler) {
    if (message == WM_SYSCOMMAND && OnWindowMenuItem(window, *state, wParam)) return TRUE;
    if (message == WM_CONTEXTMENU && OnContextMenu(window, *state, wParam, lParam)) return TRUE;
    if (message == WM_NOTIFY && OnListDoubleClick(window, *state, *reinterpret_cast<const NMHDR*>(lParam))) return TRUE;
    std::intptr_t result = CallHandler(state->handler, window, message, wParam, lParam);
    if (result != 0) {
      if (ReturnsDirectly(message)) return result;
      SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
      return TRUE;
    }
  }
  switch (message) {
    case WM_CTLCOLORSTATIC:
      return OnCtlColorStatic(*state, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (!OnListNotify(*state, *reinterpret_cast<const NMHDR*>(lParam), result)) return FALSE;
      SetWindowLongPtrA(window, DWLP_MSGRESULT, result);
      return TRUE;
    }
    case WM_CLOSE:
      EndRun(*state, 0);
      return TRUE;
    case WM_NCDESTROY:
      SetWindowLongPtrA(window, DWLP_USER, 0);
      FreeState(state);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace win32

// The run keeps its end flag on its own stack, so a window destroyed from outside (which frees
// its state) still ends the loop cleanly. A WM_QUIT met here is put back for the outer loop.
// The owner is enabled again before the window goes, so that Windows hands the activation back
// to it rather than to another program.
std::intptr_t RunModal(Window window, Handler handler) {
  HWND hwnd = Hwnd(window);
  WindowState* state = StateOf(hwnd);
  if (!state) return 0;
  ModalRun run;
  if (state->endedEarly) run = {true, state->earlyValue};
  state->run = &run;
  state->handler = std::move(handler);

  HWND owner = GetWindow(hwnd, GW_OWNER);
  bool ownerDisabledHere = owner && IsWindowEnabled(owner);
  if (ownerDisabledHere) EnableWindow(owner, FALSE);

  CallHandler(state->handler, hwnd, WM_INITDIALOG, 0, 0);
  if (!run.ended && IsWindow(hwnd)) {
    ShowWindow(hwnd, SW_SHOW);
    FocusFirstControl(hwnd);
  }
  MSG msg;
  while (!run.ended && IsWindow(hwnd)) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (got == -1) break;
    if (TakenKey(hwnd, *state, msg)) continue;
    if (!IsDialogMessageA(hwnd, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }

  if (ownerDisabledHere) EnableWindow(owner, TRUE);
  if (IsWindow(hwnd) && StateOf(hwnd) == state) {
    ShowWindow(hwnd, SW_HIDE);
    DestroyWindow(hwnd);
  }
  if (owner && IsWindow(owner)) Reactivate(owner);
  return run.value;
}

// The loop may be waiting in GetMessageA (when the command came by a message sent from another
// thread or process), so a no-op message wakes it to see the end.
void EndModal(Window window, std::intptr_t value) {
  WindowState* state = StateOf(Hwnd(window));
  if (!state) return;
  EndRun(*state, value);
  PostMessageA(Hwnd(window), WM_NULL, 0, 0);
}

void Post(Window window, std::uint32_t message) { PostMessageA(Hwnd(window), message, 0, 0); }

}  // namespace ui
