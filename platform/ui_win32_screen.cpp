// Win32 user interface: keeping windows on screen, and labels whose text must show whole.
#include <windows.h>

#include <algorithm>

#include "platform/ui_win32_internal.h"

namespace ui::win32 {

// The work area of the monitor the window is on (or nearest to): its size unchanged, the window
// moves by the least that brings it inside, its top-left corner first when it is larger.
void KeepInWorkArea(HWND window) {
  RECT outer{};
  if (!GetWindowRect(window, &outer)) return;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoA(MonitorFromRect(&outer, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  const int x = std::max<int>(work.left, std::min<int>(outer.left, work.right - width));
  const int y = std::max<int>(work.top, std::min<int>(outer.top, work.bottom - height));
  if (x != outer.left || y != outer.top)
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

// True when rect, in the parent's client coordinates, overlaps a sibling of control.
bool CoversSibling(HWND parent, HWND control, const RECT& rect) {
  for (HWND other = GetWindow(parent, GW_CHILD); other; other = GetWindow(other, GW_HWNDNEXT)) {
    if (other == control || !IsWindowVisible(other)) continue;
    RECT bounds{}, overlap{};
    GetWindowRect(other, &bounds);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
    if (IntersectRect(&overlap, &bounds, &rect)) return true;
  }
  return false;
}

// The width of text on one line in the control's font.
int TextWidth(HWND control, const char* text) {
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
  RECT rect{0, 0, 0, 0};
  DrawTextA(dc, text, -1, &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  return rect.right - rect.left;
}

}  // namespace

// A left-aligned label (one that does not shorten its text with an ellipsis) wraps a text longer
// than its box, and the lines below the box are lost. Such a label grows to the right, then to
// the left, as far as the text needs and the parent's client area (less a 2-pixel margin) and the
// other controls allow; a text that fits keeps its box.
void FitLabel(HWND parent, HWND label) {
  const LONG_PTR style = GetWindowLongPtrA(label, GWL_STYLE);
  if ((style & SS_TYPEMASK) != SS_LEFT || (style & SS_ELLIPSISMASK) != 0) return;
  char text[512];
  if (GetWindowTextA(label, text, sizeof text) <= 0) return;
  RECT box{}, client{};
  GetWindowRect(label, &box);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
  GetClientRect(parent, &client);
  const int needed = TextWidth(label, text) + 1, margin = 2;
  if (needed <= box.right - box.left) return;
  RECT wider = box;
  while (wider.right - wider.left < needed && wider.right < client.right - margin) {
    RECT next = wider;
    ++next.right;
    if (CoversSibling(parent, label, next)) break;
    wider = next;
  }
  while (wider.right - wider.left < needed && wider.left > margin) {
    RECT next = wider;
    --next.left;
    if (CoversSibling(parent, label, next)) break;
    wider = next;
  }
  SetWindowPos(label, nullptr, wider.left, wider.top, wider.right - wider.left, wider.bottom - wider.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ui::win32
