// Win32 user interface: the report-view list view, through its ANSI messages.
#include <windows.h>
// (needs <windows.h> above it)
#include <commctrl.h>

#include "platform/ui_win32_internal.h"

namespace ui {

using namespace win32;

namespace {

LRESULT SendToList(Window window, int id, UINT message, WPARAM wParam, const void* lParam) {
  return SendMessageA(Control(window, id), message, wParam, reinterpret_cast<LPARAM>(lParam));
}

}  // namespace

void AddListColumns(Window window, int id, const std::vector<Column>& columns) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = columns[i].width;
    column.pszText = const_cast<char*>(columns[i].header.c_str());
    SendToList(window, id, LVM_INSERTCOLUMNA, i, &column);
  }
}

void AddListExtendedStyle(Window window, int id, std::uint32_t exStyle) {
  auto current = static_cast<DWORD>(SendToList(window, id, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, nullptr));
  SendMessageA(Control(window, id), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(current | exStyle));
}

void ListDeleteAll(Window window, int id) { SendToList(window, id, LVM_DELETEALLITEMS, 0, nullptr); }

void ListInsertTop(Window window, int id, const std::string& firstCell) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = 0;
  item.pszText = const_cast<char*>(firstCell.c_str());
  SendToList(window, id, LVM_INSERTITEMA, 0, &item);
}

void ListSetCell(Window window, int id, int row, int column, const std::string& text) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendToList(window, id, LVM_SETITEMA, 0, &item);
}

void ListSelect(Window window, int id, int row) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  item.state = LVIS_SELECTED;
  SendToList(window, id, LVM_SETITEMSTATE, static_cast<WPARAM>(row), &item);
}

// LVM_GETNEXTITEM answers -1 when nothing is selected, which becomes 0 here.
int ListFirstSelected(Window window, int id) {
  LRESULT row = SendMessageA(Control(window, id), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0));
  return static_cast<int>(row) + 1;
}

}  // namespace ui
