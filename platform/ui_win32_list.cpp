// Win32 user interface: the report-view list view in owner-data mode, through its ANSI messages.
// Its cells are asked of the list's CellText when drawn (win32::OnListNotify, from the dialog
// procedure).
#include <windows.h>
// (needs <windows.h> above it)
#include <commctrl.h>

#include <algorithm>
#include <cctype>

#include "platform/ui_win32_internal.h"

namespace ui {

using namespace win32;

namespace {

LRESULT SendToList(Window window, int id, UINT message, WPARAM wParam, const void* lParam) {
  return SendMessageA(Control(window, id), message, wParam, reinterpret_cast<LPARAM>(lParam));
}

// Copies text into a list's buffer of capacity characters, cut short and always terminated.
template <typename Char>
void CopyCell(const std::string& text, Char* buffer, int capacity) {
  if (!buffer || capacity <= 0) return;
  if constexpr (sizeof(Char) == 1) {
    lstrcpynA(buffer, text.c_str(), capacity);
  } else {
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), buffer, capacity - 1);
    buffer[std::max(n, 0)] = 0;
  }
}

template <typename Display>
void AnswerDisplayInfo(const CellText& cellText, Display& info) {
  if (info.item.mask & LVIF_TEXT)
    CopyCell(cellText(info.item.iItem, info.item.iSubItem), info.item.pszText, info.item.cchTextMax);
}

std::string Narrow(const char* text) { return text ? text : ""; }
std::string Narrow(const wchar_t* text) {
  if (!text) return "";
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(std::max(n, 1)), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), n, nullptr, nullptr);
  narrow.resize(narrow.size() - 1);
  return narrow;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix, bool whole) {
  if (text.size() < prefix.size() || (whole && text.size() != prefix.size())) return false;
  return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}

// The row a typed text selects: the first one from the start row on (wrapping round when asked)
// whose first cell begins with the text, or is it; -1 when none.
template <typename Find>
LRESULT FindRow(const CellText& cellText, HWND list, const Find& find) {
  if (!(find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL))) return -1;
  const std::string wanted = Narrow(find.lvfi.psz);
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  const int start = std::clamp(find.iStart, 0, std::max(count, 1) - 1);
  const int steps = (find.lvfi.flags & LVFI_WRAP) ? count : count - start;
  for (int step = 0; step < steps; ++step) {
    const int row = (start + step) % count;
    if (StartsWithNoCase(cellText(row, 0), wanted, !(find.lvfi.flags & LVFI_PARTIAL))) return row;
  }
  return -1;
}

}  // namespace

namespace win32 {

// Answers the owner-data list's questions: the text of a cell, and the row that typed text finds.
// The notification structures begin with the header they were sent as.
bool OnListNotify(WindowState& state, const NMHDR& header, LRESULT& result) {
  auto rows = state.rows.find(static_cast<int>(header.idFrom));
  if (rows == state.rows.end() || !rows->second) return false;
  const CellText& cellText = rows->second;
  const LPARAM notice = reinterpret_cast<LPARAM>(&header);
  switch (header.code) {
    case LVN_GETDISPINFOA:
      AnswerDisplayInfo(cellText, *reinterpret_cast<NMLVDISPINFOA*>(notice));
      return true;
    case LVN_GETDISPINFOW:
      AnswerDisplayInfo(cellText, *reinterpret_cast<NMLVDISPINFOW*>(notice));
      return true;
    case LVN_ODFINDITEMA:
      result = FindRow(cellText, header.hwndFrom, *reinterpret_cast<NMLVFINDITEMA*>(notice));
      return true;
    case LVN_ODFINDITEMW:
      result = FindRow(cellText, header.hwndFrom, *reinterpret_cast<NMLVFINDITEMW*>(notice));
      return true;
    default:
      return false;
  }
}

}  // namespace win32

void AddListColumns(Window window, int id, const std::vector<Column>& columns) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = Scaled(columns[i].width, DpiOf(Hwnd(window)));
    column.pszText = const_cast<char*>(columns[i].header.c_str());
    SendToList(window, id, LVM_INSERTCOLUMNA, i, &column);
  }
}

void AddListExtendedStyle(Window window, int id, std::uint32_t exStyle) {
  auto current = static_cast<DWORD>(SendToList(window, id, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, nullptr));
  SendMessageA(Control(window, id), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(current | exStyle));
}

void ListDeleteAll(Window window, int id) { SendToList(window, id, LVM_DELETEALLITEMS, 0, nullptr); }

// The rows go first, so the list never asks for a cell of a row that has no text yet.
void ListSetRows(Window window, int id, int count, CellText cellText) {
  WindowState* state = StateOf(Hwnd(window));
  if (!state) return;
  SendToList(window, id, LVM_DELETEALLITEMS, 0, nullptr);
  state->rows[id] = std::move(cellText);
  SendToList(window, id, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), nullptr);
}

void ListSelect(Window window, int id, int row) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  item.state = LVIS_SELECTED;
  SendToList(window, id, LVM_SETITEMSTATE, static_cast<WPARAM>(row), &item);
}

void ListSelectOnly(Window window, int id, int row) {
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendToList(window, id, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), &item);
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendToList(window, id, LVM_SETITEMSTATE, static_cast<WPARAM>(row), &item);
  SendToList(window, id, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), nullptr);
}

// LVM_GETNEXTITEM answers -1 when nothing is selected, which becomes 0 here.
int ListFirstSelected(Window window, int id) {
  LRESULT row = SendMessageA(Control(window, id), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0));
  return static_cast<int>(row) + 1;
}

}  // namespace ui
