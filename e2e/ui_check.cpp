// stowr-ui-check.exe: drives the Win32 user interface through ui.h in a real window session and
// checks what the logic relies on: exact client size, hidden creation, list rows and selection,
// Enter/Escape reaching the handler without closing, Tab order, the owner disabled during a
// nested run and active again after it, EndModal and the system Close, an exception escaping a
// handler, and the placement of the Open and Save As dialogs. Steps run from a timer on the
// window under test. Prints one line per failed check; the exit code is the number of failures.
// scripts/e2e.sh runs it under Wine with a display.
#include <windows.h>
// (needs <windows.h> above it)
#include <commctrl.h>

#include <cstdio>
#include <new>
#include <string>

#include "platform/ui.h"

namespace {

int gFailures = 0;
HWND gMain = nullptr;
int gEnter = 0, gEscape = 0;
RECT gDialogRect{};
std::string gDialogTitle;

#define CHECK(condition)                                                   \
  do {                                                                     \
    if (!(condition)) {                                                    \
      std::printf("FAILED line %d: %s\n", __LINE__, #condition);           \
      ++gFailures;                                                         \
    }                                                                      \
  } while (0)

constexpr int kEditId = 20, kDisabledId = 21, kButtonId = 22, kListId = 23;

ui::WindowLayout Layout(const char* title, HWND owner) {
  using namespace ui::style;
  ui::WindowLayout layout;
  layout.title = title;
  layout.clientWidth = 300;
  layout.clientHeight = 200;
  layout.style = kPopup | kClipSiblings | kCaption | kSysMenu | kDsModalFrame | kDs3dLook;
  layout.exStyle = kExControlParent;
  layout.owner = owner;
  layout.controls = {
      {kEditId, ui::kEdit, "", 8, 8, 100, 22, kTabStop | kBorder | kEsUppercase, kExClientEdge},
      {kDisabledId, ui::kButton, "Off", 120, 8, 60, 24, kTabStop | kDisabled, 0},
      {kButtonId, ui::kButton, "On", 190, 8, 60, 24, kTabStop, 0},
      {kListId, ui::kListView, "", 8, 40, 284, 150, kLvsReport | kLvsShowSelAlways | kLvsOwnerData, 0},
  };
  return layout;
}

std::intptr_t Ignore(ui::Window, std::uint32_t, std::uintptr_t, std::intptr_t) { return 0; }

// Finds the visible dialog our main window owns (a common dialog), notes it and cancels it.
BOOL CALLBACK CancelOwnedDialog(HWND window, LPARAM) {
  if (window == gMain || !IsWindowVisible(window) || GetWindow(window, GW_OWNER) != gMain) return TRUE;
  char title[256]{};
  GetWindowTextA(window, title, sizeof(title));
  GetWindowRect(window, &gDialogRect);
  gDialogTitle = title;
  PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  return FALSE;
}

void CALLBACK CancelDialogSoon(HWND, UINT, UINT_PTR id, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), CancelOwnedDialog, 0);
  if (!gDialogTitle.empty()) KillTimer(nullptr, id);
}

void CheckFileDialogPlacement(bool save, ui::Point offset) {
  ui::FileDialogOptions layout;
  layout.title = save ? "Save check" : "Open check";
  layout.filterDescription = "All files (*.*)";
  layout.filterPattern = "*.*";
  layout.initialName = std::string(300, 'x');  // longer than the preset allows
  layout.flags = ui::kOfnExplorer | ui::kOfnHideReadOnly | ui::kOfnNoChangeDir | ui::kOfnEnableHook;
  layout.offsetFromOwner = offset;
  layout.bringToForeground = save;
  gDialogTitle.clear();
  SetTimer(nullptr, 0, 300, CancelDialogSoon);
  std::string chosen = save ? ui::AskSaveFile(gMain, layout) : ui::AskOpenFile(gMain, layout);
  RECT owner{};
  GetWindowRect(gMain, &owner);
  CHECK(chosen.empty());
  CHECK(gDialogTitle == layout.title);
  CHECK(gDialogRect.left == owner.left + offset.x && gDialogRect.top == owner.top + offset.y);
}

void CheckNestedRuns() {
  ui::Window closed = ui::CreateWindowFromLayout(Layout("closed by the system", gMain));
  static bool ownerDisabled = false;
  SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    ownerDisabled = !IsWindowEnabled(gMain);
    PostMessageA(FindWindowA(nullptr, "closed by the system"), WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  CHECK(ui::RunModal(closed, Ignore) == 0);
  CHECK(ownerDisabled);
  CHECK(IsWindowEnabled(gMain));
  CHECK(!IsWindow(static_cast<HWND>(closed)));

  ui::Window ended = ui::CreateWindowFromLayout(Layout("ended by the handler", gMain));
  SetTimer(nullptr, 0, 200, [](HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND window = FindWindowA(nullptr, "ended by the handler");
    SetDlgItemTextA(window, kEditId, "abc");
    SendMessageA(GetDlgItem(window, kButtonId), BM_CLICK, 0, 0);
  });
  std::string typed;
  std::intptr_t value = ui::RunModal(ended, [&](ui::Window w, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
    if (message == ui::kCommand && LOWORD(wParam) == kButtonId) {
      typed = ui::GetText(w, kEditId);
      ui::EndModal(w, 42);
    }
    return std::intptr_t{0};
  });
  CHECK(value == 42);
  CHECK(typed == "ABC");
  CHECK(GetActiveWindow() == gMain);
}

// A handler that throws: the exception ends the action with a "stowr - error" box over the window,
// which keeps running and ends as usual.
void CheckEscapingException() {
  ui::Window window = ui::CreateWindowFromLayout(Layout("throws", gMain));
  static std::string boxText;
  boxText.clear();
  PostMessageA(GetDlgItem(static_cast<HWND>(window), kButtonId), BM_CLICK, 0, 0);
  SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
    HWND thrower = FindWindowA(nullptr, "throws");
    HWND box = FindWindowA(nullptr, "stowr - error");
    if (!box || GetWindow(box, GW_OWNER) != thrower) return;
    KillTimer(nullptr, id);
    char text[256]{};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    boxText = text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    PostMessageA(thrower, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  std::intptr_t value = ui::RunModal(window, [](ui::Window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
    if (message == ui::kCommand && LOWORD(wParam) == kButtonId) throw std::bad_alloc();
    return std::intptr_t{0};
  });
  CHECK(value == 0);
  CHECK(boxText == "Could not complete the action:\rThere is not enough memory");
}

// A cell as the list shows it (for an owner-data list, asked of the list's CellText).
std::string CellText(HWND list, int row, int column) {
  char text[64]{};
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = text;
  item.cchTextMax = sizeof text;
  SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  return text;
}

// One step per timer tick; the keys are posted, so their effect is checked on the next tick.
void Step(HWND window, int step) {
  HWND edit = GetDlgItem(window, kEditId);
  switch (step) {
    case 1:
      SetFocus(edit);
      PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
      PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
      PostMessageA(edit, WM_KEYDOWN, VK_TAB, 0);
      break;
    case 2:
      CHECK(gEnter == 1 && gEscape == 1);
      CHECK(IsWindowVisible(window));
      CHECK(GetDlgCtrlID(GetFocus()) == kButtonId);  // the disabled button is skipped
      break;
    case 3:
      KillTimer(window, 1);
      CheckNestedRuns();
      CheckEscapingException();
      CheckFileDialogPlacement(false, {-50, -100});
      CheckFileDialogPlacement(true, {-100, 0});
      PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      break;
  }
}

std::intptr_t MainHandler(ui::Window w, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
  static int step = 0;
  HWND window = static_cast<HWND>(w);
  if (message == ui::kInitDialog) {
    CHECK(!IsWindowVisible(window));
    ui::AddListColumns(w, kListId, {{"#", 40}, {"Name", 100}});
    ui::ListSetRows(w, kListId, 3, [](int row, int column) {
      const char* names[] = {"one", "two", "three"};
      return column == 0 ? std::to_string(row + 1) : names[row];
    });
    CHECK(CellText(GetDlgItem(window, kListId), 2, 1) == "three");
    CHECK(ui::ListFirstSelected(w, kListId) == 0);
    ui::ListSelect(w, kListId, 1);
    CHECK(ui::ListFirstSelected(w, kListId) == 2);
    ui::ListSelect(w, kListId, 2);
    CHECK(ui::ListFirstSelected(w, kListId) == 2);
    SetTimer(window, 1, 300, nullptr);
  } else if (message == WM_TIMER && wParam == 1) {
    Step(window, ++step);
  } else if (message == ui::kCommand) {
    gEnter += LOWORD(wParam) == ui::kIdOk;
    gEscape += LOWORD(wParam) == ui::kIdCancel;
  }
  return 0;
}

}  // namespace

int main() {
  ui::Window main = ui::CreateWindowFromLayout(Layout("ui check", nullptr));
  gMain = static_cast<HWND>(main);
  CHECK(gMain != nullptr);
  RECT client{};
  GetClientRect(gMain, &client);
  CHECK(client.right == 300 && client.bottom == 200);
  CHECK(ui::RunModal(main, MainHandler) == 0);
  CHECK(!IsWindow(gMain));
  std::printf("%d failure(s)\n", gFailures);
  return gFailures;
}
