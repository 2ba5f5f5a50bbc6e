// Win32 user interface: building windows and controls, and the small per-control operations.
// Windows are system dialog-class windows made from an empty in-memory template; the controls
// are added afterwards with CreateWindowExA, in order, so creation order is tab order.
// The modal engine is in ui_win32_modal.cpp, the list view in ui_win32_list.cpp, message
// boxes and file dialogs in ui_win32_dialogs.cpp.
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

// The list view lives in comctl32, which must be told which classes to register before use.
void InitCommonControlsOnce() {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
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

// Sizes the window so that its client area is exactly width x height, then places its outer
// top-left corner: centred in the primary display's work area, or at the given point. The
// frame comes from AdjustWindowRectEx for the styles the window really has; if the client area
// still differs (a caption that wraps, a theme), the difference is added once more.
void PlaceWindow(HWND window, const WindowLayout& layout) {
  RECT frame{0, 0, layout.clientWidth, layout.clientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrA(window, GWL_EXSTYLE)));
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  int x = layout.position.x, y = layout.position.y;
  if (layout.centerInWorkArea) {
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = work.left + (work.right - work.left - width) / 2;
    y = work.top + (work.bottom - work.top - height) / 2;
  }
  SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  RECT client{};
  GetClientRect(window, &client);
  int missingWidth = layout.clientWidth - client.right, missingHeight = layout.clientHeight - client.bottom;
  if (missingWidth != 0 || missingHeight != 0) {
    SetWindowPos(window, nullptr, 0, 0, width + missingWidth, height + missingHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
  }
}

void SetIcons(HWND window, WindowState& state) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  state.bigIcon = static_cast<HICON>(LoadImageA(module, kIconName, IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
  state.smallIcon = static_cast<HICON>(LoadImageA(module, kIconName, IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  if (state.bigIcon) SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(state.bigIcon));
  if (state.smallIcon) SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(state.smallIcon));
}

}  // namespace

namespace win32 {

// A font of the given face and size in points for the screen's vertical resolution: normal
// weight, not italic, underlined or struck out, ANSI character set, default pitch and family.
HFONT CreatePointFont(const char* face, int points) {
  HDC screen = GetDC(nullptr);
  int height = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

// kSystemWindowText (all components negative) stands for a system colour.
COLORREF ToColorRef(Color color, int systemIndex) {
  if (color.r < 0 || color.g < 0 || color.b < 0) return GetSysColor(systemIndex);
  return RGB(color.r, color.g, color.b);
}

}  // namespace win32

// The window is created hidden (WS_VISIBLE is taken out of the style) and owned by layout.owner.
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
  state->font = CreatePointFont(kWindowFace, kWindowPoints);
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(state->font), FALSE);
  SetIcons(window, *state);
  PlaceWindow(window, layout);
  for (const ControlLayout& control : layout.controls) AddControl(window, control);
  return window;
}

// Edit controls get the largest text limit, so neither typing nor pasting is cut short.
void AddControl(Window window, const ControlLayout& control) {
  HWND parent = Hwnd(window);
  HWND child = CreateWindowExA(control.exStyle, control.className, control.text.c_str(),
                               control.style | WS_CHILD | WS_VISIBLE, control.x, control.y, control.width,
                               control.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                               GetModuleHandleA(nullptr), nullptr);
  if (!child) return;
  WindowState* state = StateOf(parent);
  HFONT font = state ? state->font : reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0));
  SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  if (lstrcmpiA(control.className, kEdit) == 0) SendMessageA(child, EM_SETLIMITTEXT, 0, 0);
}

Point ClientOrigin(Window window) {
  POINT origin{0, 0};
  ClientToScreen(Hwnd(window), &origin);
  return {origin.x, origin.y};
}

Point WindowOrigin(Window window) {
  RECT outer{};
  GetWindowRect(Hwnd(window), &outer);
  return {outer.left, outer.top};
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

Font CreateFontFace(const std::string& face, int points) { return CreatePointFont(face.c_str(), points); }

void SetControlFont(Window window, int id, Font font) {
  SendMessageA(Control(window, id), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void ReleaseFont(Font font) {
  if (font) DeleteObject(static_cast<HFONT>(font));
}

void PostClearSelection(Window window, int id) {
  PostMessageA(Control(window, id), EM_SETSEL, static_cast<WPARAM>(-1), 0);
}

}  // namespace ui
