// Win32 user interface: building windows and controls, and the small per-control operations.
// Windows are system dialog-class windows made from an empty in-memory template; the controls
// are added afterwards with CreateWindowExA, in order, so creation order is tab order.
// The modal engine is in ui_win32_modal.cpp, the list view in ui_win32_list.cpp, message
// boxes and file dialogs in ui_win32_dialogs.cpp, the wait for work and its progress window in
// ui_win32_task.cpp.
#include <windows.h>
// (needs <windows.h> above it)
#include <commctrl.h>

#include <cstring>
#include <vector>

#include "platform/ui_win32_internal.h"

namespace ui {

using namespace win32;

namespace {

constexpr const char* kWindowFace = "MS Sans Serif";
constexpr int kWindowPoints = 8;
constexpr const char* kIconName = "ICO1";

// The list view and the progress bar live in comctl32, which must be told which classes to register before use.
void InitCommonControlsOnce() {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&init);
  done = true;
}

void PushWord(std::vector<WORD>& words, DWORD value, bool asDword) {
  words.push_back(LOWORD(value));
  if (asDword) words.push_back(HIWORD(value));
}

void PushWide(std::vector<WORD>& words, const char* text) {
  for (const char* c = text; *c; ++c) words.push_back(static_cast<unsigned char>(*c));
  words.push_back(0);
}

// A DLGTEMPLATE with no controls, no menu, the system dialog class and an empty title (the
// ANSI title is set afterwards). The size is set later in pixels, so the template's dialog-unit
// size stays 0. With DS_SETFONT the template must carry a font: ours. DWORD storage keeps the
// template DWORD-aligned, as CreateDialogIndirect requires.
std::vector<DWORD> EmptyTemplate(DWORD style, DWORD exStyle) {
  std::vector<WORD> words;
  PushWord(words, style, true);
  PushWord(words, exStyle, true);
  for (int i = 0; i < 5; ++i) words.push_back(0);  // cdit, x, y, cx, cy
  words.push_back(0);                               // no menu
  words.push_back(0);                               // system dialog class
  words.push_back(0);                               // empty title
  if (style & DS_SETFONT) {
    words.push_back(kWindowPoints);
    PushWide(words, kWindowFace);
  }
  std::vector<DWORD> aligned((words.size() + 1) / 2, 0);
  std::memcpy(aligned.data(), words.data(), words.size() * sizeof(WORD));
  return aligned;
}

// Sizes the window so that its client area is exactly the layout's size at dpi, then places its
// outer top-left corner: centred in the primary display's work area, or at the owner's client
// origin plus the offset at the owner's DPI, moved just enough to lie within its monitor's work
// area when that position does not. The frame comes from AdjustWindowRectEx for the
// styles the window really has; if the client area still differs (a caption that wraps, a
// theme), the difference is added once more.
void PlaceWindow(HWND window, const WindowLayout& layout, int dpi) {
  const int clientWidth = Scaled(layout.clientWidth, dpi), clientHeight = Scaled(layout.clientHeight, dpi);
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  int x = 0, y = 0;
  if (layout.centerInWorkArea) {
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = work.left + (work.right - work.left - width) / 2;
    y = work.top + (work.bottom - work.top - height) / 2;
  } else {
    HWND owner = Hwnd(layout.owner);
    POINT origin{0, 0};
    if (owner) ClientToScreen(owner, &origin);
    const int ownerDpi = owner ? DpiOf(owner) : dpi;
    x = origin.x + Scaled(layout.offsetFromOwnerClient.x, ownerDpi);
    y = origin.y + Scaled(layout.offsetFromOwnerClient.y, ownerDpi);
  }
  SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  if (!layout.centerInWorkArea) KeepInWorkArea(window);
  RECT client{};
  GetClientRect(window, &client);
  int missingWidth = clientWidth - client.right, missingHeight = clientHeight - client.bottom;
  if (missingWidth != 0 || missingHeight != 0) {
    SetWindowPos(window, nullptr, 0, 0, width + missingWidth, height + missingHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }
}

// 32 x 32 and 16 x 16 at 96 DPI; the icon group has 24 and 48 for the larger scales.
void SetIcons(HWND window, WindowState& state) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  const int big = Scaled(32, state.dpi), small = Scaled(16, state.dpi);
  state.bigIcon = static_cast<HICON>(LoadImageA(module, kIconName, IMAGE_ICON, big, big, LR_DEFAULTCOLOR));
  state.smallIcon = static_cast<HICON>(LoadImageA(module, kIconName, IMAGE_ICON, small, small, LR_DEFAULTCOLOR));
  if (state.bigIcon) SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state.bigIcon));
  if (state.smallIcon) SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(state.smallIcon));
}

}  // namespace

namespace win32 {

// A font of the given face and size in points at dpi: normal weight, not italic, underlined or
// struck out, ANSI character set, default pitch and family.
HFONT CreatePointFont(const char* face, int points, int dpi) {
  const int height = -MulDiv(points, dpi, 72);
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

// kSystemWindowText (all components negative) stands for a system colour.
COLORREF ToColorRef(Color color, int systemIndex) {
  if (color.r < 0 || color.g < 0 || color.b < 0) return GetSysColor(systemIndex);
  return RGB(color.r, color.g, color.b);
}

}  // namespace win32

// The window is created hidden (WS_VISIBLE is taken out of the style) and owned by layout.owner,
// and laid out for the DPI of the monitor it starts on: the owner's, or the primary one.
// Returns null when Windows refuses to create it.
Window CreateWindowFromLayout(const WindowLayout& layout) {
  InitCommonControlsOnce();
  auto* state = new WindowState;
  std::vector<DWORD> dialogTemplate = EmptyTemplate(layout.style & ~WS_VISIBLE, layout.exStyle);
  HWND window = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                           reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()),
                                           Hwnd(layout.owner), DialogProc, reinterpret_cast<LPARAM>(state));
  if (!window) {
    delete state;
    return nullptr;
  }
  SetWindowTextA(window, layout.title.c_str());
  state->dpi = WindowDpi(window);
  state->font = CreatePointFont(kWindowFace, kWindowPoints, state->dpi);
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(state->font), FALSE);
  SetIcons(window, *state);
  PlaceWindow(window, layout, state->dpi);
  for (const ControlLayout& control : layout.controls) AddControl(window, control);
  for (const ControlLayout& control : layout.controls)
    if (lstrcmpiA(control.className, kStatic) == 0) FitLabel(window, GetDlgItem(window, control.id));
  return window;
}

// The rectangle is scaled to the window's DPI. Edit controls get the largest text limit, so
// neither typing nor pasting is cut short.
void AddControl(Window window, const ControlLayout& control) {
  HWND parent = Hwnd(window);
  const int dpi = DpiOf(parent);
  HWND child = CreateWindowExA(control.exStyle, control.className, control.text.c_str(),
                               control.style | WS_CHILD | WS_VISIBLE, Scaled(control.x, dpi), Scaled(control.y, dpi),
                               Scaled(control.width, dpi), Scaled(control.height, dpi), parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), GetModuleHandleA(nullptr),
                               nullptr);
  if (!child) return;
  WindowState* state = StateOf(parent);
  HFONT font = state ? state->font : reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0));
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (lstrcmpiA(control.className, kEdit) == 0) SendMessageA(child, EM_SETLIMITTEXT, 0, 0);
}

void SetText(Window window, int id, const std::string& text) { SetWindowTextA(Control(window, id), text.c_str()); }

std::string GetText(Window window, int id) {
  HWND control = Control(window, id);
  int length = GetWindowTextLengthA(control);
  if (length <= 0) return "";
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(control, text.data(), length + 1);
  text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
  return text;
}

// A control disabled while it has the focus first hands the focus on to the next tab stop, as a
// dialog does when the user tabs on; otherwise the focus would go nowhere and Tab, Enter and
// Escape would stop working.
void EnableControl(Window window, int id, bool enabled) {
  HWND control = Control(window, id);
  if (!enabled && control && GetFocus() == control) {
    SendMessageA(Hwnd(window), WM_NEXTDLGCTL, 0, FALSE);
    if (GetFocus() == control) SetFocus(Hwnd(window));
  }
  EnableWindow(control, enabled ? TRUE : FALSE);
}

bool ControlEnabled(Window window, int id) { return IsWindowEnabled(Control(window, id)) != FALSE; }

void FocusControl(Window window, int id) {
  SetForegroundWindow(Hwnd(window));
  SetFocus(Control(window, id));
}

void RedrawAll(Window window) {
  RedrawWindow(Hwnd(window), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// The brush is made now, in the background colour, and kept until the colours change again or
// the window goes; WM_CTLCOLORSTATIC hands it out (ui_win32_modal.cpp).
void SetControlColors(Window window, int id, Color text, Color background) {
  WindowState* state = StateOf(Hwnd(window));
  if (!state) return;
  ControlColors& colors = state->colors[id];
  if (colors.brush) DeleteObject(colors.brush);
  colors.text = text;
  colors.background = background;
  colors.brush = CreateSolidBrush(ToColorRef(background, COLOR_WINDOW));
  InvalidateRect(Control(window, id), nullptr, TRUE);
}

Font CreateFontFace(Window window, const std::string& face, int points) {
  return CreatePointFont(face.c_str(), points, DpiOf(Hwnd(window)));
}

void SetControlFont(Window window, int id, Font font) {
  SendMessageA(Control(window, id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void ReleaseFont(Font font) {
  if (font) DeleteObject(static_cast<HFONT>(font));
}

void PostClearSelection(Window window, int id) {
  PostMessageA(Control(window, id), EM_SETSEL, static_cast<WPARAM>(-1), 0);
}

void PostCaretToStart(Window window, int id) {
  PostMessageA(Control(window, id), EM_SETSEL, 0, 0);
  PostMessageA(Control(window, id), EM_SCROLLCARET, 0, 0);
}

}  // namespace ui
