// Win32 user interface: popup menus, items of the window menu, and the context-menu requests and
// double-clicks that the handler of a window gets as kContextMenu and kListDoubleClick.
#include <windows.h>
// (needs <windows.h> above it)
#include <commctrl.h>

#include "platform/ui_win32_internal.h"

namespace ui {

using namespace win32;

namespace {

bool IsListView(HWND control) {
  char name[32] = {};
  GetClassNameA(control, name, sizeof name);
  return lstrcmpiA(name, WC_LISTVIEWA) == 0;
}

// A request from the keyboard (lParam -1) concerns the first selected row, and the menu goes below
// its label (below the list's top-left corner when no row is selected); one from the mouse
// concerns the row under the pointer.
ContextRequest ListRequest(HWND list, LPARAM lParam) {
  ContextRequest request;
  POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  if (lParam == -1) {
    request.row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    RECT item{};
    item.left = LVIR_LABEL;
    at = {0, 0};
    if (request.row >= 0 && SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(request.row),
                                         reinterpret_cast<LPARAM>(&item)))
      at = {item.left, item.bottom};
    ClientToScreen(list, &at);
  } else {
    LVHITTESTINFO hit{};
    hit.pt = at;
    ScreenToClient(list, &hit.pt);
    const int row = static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    request.row = (hit.flags & LVHT_ONITEM) ? row : -1;
  }
  request.at = {at.x, at.y};
  return request;
}

}  // namespace

namespace win32 {

// wParam is the window the request was made in: one of our controls, or the window itself.
bool OnContextMenu(HWND window, WindowState& state, WPARAM wParam, LPARAM lParam) {
  HWND source = reinterpret_cast<HWND>(wParam);
  const bool child = source && source != window && IsChild(window, source);
  ContextRequest request;
  if (child && IsListView(source)) {
    request = ListRequest(source, lParam);
  } else {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (lParam == -1) {
      at = {0, 0};
      ClientToScreen(window, &at);
    }
    request.at = {at.x, at.y};
  }
  const int id = child ? GetDlgCtrlID(source) : 0;
  return CallHandler(state.handler, window, kContextMenu, static_cast<std::uintptr_t>(id),
                     reinterpret_cast<std::intptr_t>(&request)) != 0;
}

bool OnListDoubleClick(HWND window, WindowState& state, const NMHDR& header) {
  if (header.code != NM_DBLCLK || !IsListView(header.hwndFrom)) return false;
  const auto& activate = reinterpret_cast<const NMITEMACTIVATE&>(header);
  return CallHandler(state.handler, window, kListDoubleClick, static_cast<std::uintptr_t>(header.idFrom),
                     activate.iItem) != 0;
}

// The system's commands are SC_SIZE (0xF000) and above; the low four bits are the system's too.
bool OnWindowMenuItem(HWND window, WindowState& state, WPARAM command) {
  const WPARAM id = command & 0xFFF0;
  if (id >= SC_SIZE) return false;
  CallHandler(state.handler, window, kCommand, id, 0);
  return true;
}

}  // namespace win32

void AddWindowMenuItem(Window window, int id, const std::string& text) {
  HMENU menu = GetSystemMenu(Hwnd(window), FALSE);
  if (!menu) return;
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING, static_cast<UINT_PTR>(id), text.c_str());
}

// TPM_RETURNCMD hands the choice back instead of posting it. The window comes to the foreground
// first, so that a click elsewhere dismisses the menu.
int ShowPopupMenu(Window window, Point at, const std::vector<MenuItem>& items) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return 0;
  for (const MenuItem& item : items)
    AppendMenuA(menu, MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED), static_cast<UINT_PTR>(item.id),
                item.text.c_str());
  SetForegroundWindow(Hwnd(window));
  const UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN;
  const int chosen = static_cast<int>(TrackPopupMenu(menu, flags, at.x, at.y, 0, Hwnd(window), nullptr));
  DestroyMenu(menu);
  return chosen;
}

}  // namespace ui
