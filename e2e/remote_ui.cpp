// Win32 calls that drive another process's user interface. Every wait polls with a deadline;
// nothing here sleeps for a fixed time in the hope that the other side is ready.
#include "e2e/remote_ui.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>
#include <functional>

namespace e2e {
namespace {

constexpr int kPollMs = 20;
constexpr UINT kSendTimeoutMs = 5000;

struct EnumState {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<EnumState*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == state->pid && IsWindowVisible(window)) state->found.push_back(window);
  return TRUE;
}

LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) return -1;
  return static_cast<LRESULT>(result);
}

// Memory inside the target process, released when the object ends.
struct RemoteBuffer {
  HANDLE process;
  void* address = nullptr;
  RemoteBuffer(HANDLE target, std::size_t size) : process(target) {
    address = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (address) VirtualFreeEx(process, address, 0, MEM_RELEASE);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;
};

// Sends message with item, a list-view structure whose text buffer follows it in memory of the
// target, and returns the text the control wrote there; answer is what the message returned.
template <typename Item>
std::string RemoteText(const App& app, HWND control, UINT message, WPARAM wParam, Item item, LRESULT& answer) {
  constexpr int kTextSize = 512;
  RemoteBuffer remote(app.process.hProcess, sizeof(Item) + kTextSize);
  if (!remote.address) return "<no remote memory>";
  char* remoteText = static_cast<char*>(remote.address) + sizeof(Item);
  item.pszText = remoteText;
  item.cchTextMax = kTextSize;
  char text[kTextSize] = {};
  if (!WriteProcessMemory(app.process.hProcess, remote.address, &item, sizeof item, nullptr) ||
      !WriteProcessMemory(app.process.hProcess, remoteText, text, sizeof text, nullptr))
    return "<write failed>";
  answer = SendWithTimeout(control, message, wParam, reinterpret_cast<LPARAM>(remote.address));
  if (!ReadProcessMemory(app.process.hProcess, remoteText, text, sizeof text - 1, nullptr)) return "<read failed>";
  return text;
}

}  // namespace

bool PollUntil(const std::function<bool()>& done, int timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPollMs);
  }
}

App::~App() {
  if (process.hProcess) {
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(process.hProcess, 99);
      WaitForSingleObject(process.hProcess, kExitWait);
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
}

// The command line is the quoted program path, then one space and args when there are any, as
// a shell would build it; args go in unchanged so that a case controls the quoting.
bool StartProgram(const std::string& program, const std::string& args, const std::string& folder, App& app,
                  std::string& why) {
  std::string commandLine = "\"" + program + "\"";
  if (!args.empty()) commandLine += " " + args;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &app.process)) {
    why = "CreateProcess failed with error " + std::to_string(GetLastError());
    return false;
  }
  return true;
}

bool WaitForExit(App& app, int timeoutMs, DWORD& exitCode) {
  if (WaitForSingleObject(app.process.hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
  return GetExitCodeProcess(app.process.hProcess, &exitCode) != 0;
}

std::vector<HWND> TopWindows(const App& app) {
  EnumState state{app.process.dwProcessId, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

HWND WaitForWindow(const App& app, const std::string& title, const std::string& className, int timeoutMs) {
  HWND found = nullptr;
  PollUntil(
      [&] {
        for (HWND window : TopWindows(app)) {
          if (WindowText(window) == title && (className.empty() || ClassOf(window) == className)) {
            found = window;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

bool WaitForWindowGone(const App& app, const std::string& title, int timeoutMs) {
  return PollUntil(
      [&] {
        for (HWND window : TopWindows(app))
          if (WindowText(window) == title) return false;
        return true;
      },
      timeoutMs);
}

// A sent message is handled only once the target's thread is back in a message loop, so its
// return means that whatever was posted before has been dealt with.
bool Sync(HWND window) { return SendWithTimeout(window, WM_NULL, 0, 0) != -1; }

// Posted messages to one thread are handled in order, so once the posted push state shows,
// everything posted before it has been handled.
bool Drain(HWND button) {
  if (!PostMessageA(button, BM_SETSTATE, TRUE, 0)) return false;
  const bool seen = PollUntil(
      [&] { return !IsWindow(button) || (SendWithTimeout(button, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0; },
      kSendTimeoutMs);
  if (!seen || !IsWindow(button)) return false;
  SendWithTimeout(button, BM_SETSTATE, FALSE, 0);
  return true;
}

// The same for an EDIT control: a posted text limit shows once everything before it was handled.
bool DrainEdit(HWND edit) {
  const LRESULT limit = SendWithTimeout(edit, EM_GETLIMITTEXT, 0, 0);
  constexpr LPARAM kMarkLimit = 0x7FFFFFF0;
  if (limit == -1 || !PostMessageA(edit, EM_SETLIMITTEXT, kMarkLimit, 0)) return false;
  const bool seen = PollUntil([&] { return SendWithTimeout(edit, EM_GETLIMITTEXT, 0, 0) == kMarkLimit; }, kSendTimeoutMs);
  SendWithTimeout(edit, EM_SETLIMITTEXT, static_cast<WPARAM>(limit), 0);
  return seen;
}

// WM_GETTEXT is copied across processes by the system, unlike most control messages. The
// buffer is sized from WM_GETTEXTLENGTH, so long texts (a whole text box) come back whole.
std::string WindowText(HWND window) {
  const LRESULT length = SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0);
  if (length < 0) return "<no answer>";
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  const LRESULT copied = SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  if (copied < 0) return "<no answer>";
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string ControlText(HWND parent, int id) {
  HWND control = GetDlgItem(parent, id);
  return control ? WindowText(control) : "<no control " + std::to_string(id) + ">";
}

bool ControlEnabled(HWND parent, int id) {
  HWND control = GetDlgItem(parent, id);
  return control && IsWindowEnabled(control);
}

HWND FindDescendant(HWND parent, int id) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetDlgCtrlID(child) == id) return child;
    if (HWND inner = FindDescendant(child, id)) return inner;
  }
  return nullptr;
}

void Click(HWND parent, int id) { PostMessageA(GetDlgItem(parent, id), BM_CLICK, 0, 0); }

void PressDialogButton(HWND dialog, int id) {
  HWND button = FindDescendant(dialog, id);
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

int ListRowCount(HWND list) { return static_cast<int>(SendWithTimeout(list, LVM_GETITEMCOUNT, 0, 0)); }

std::vector<int> SelectedRows(HWND list) {
  std::vector<int> rows;
  int row = -1;
  while ((row = static_cast<int>(SendWithTimeout(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                 LVNI_SELECTED))) >= 0)
    rows.push_back(row);
  return rows;
}

// The LVITEMA and its text buffer live in the target, where the list view dereferences them.
// The driver and the program have the same bitness, so the structure's layout agrees.
std::string ListCell(const App& app, HWND list, int row, int column) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = row;
  item.iSubItem = column;
  LRESULT answer = 0;
  return RemoteText(app, list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), item, answer);
}

std::vector<std::vector<std::string>> ListCells(const App& app, HWND list, int columns) {
  std::vector<std::vector<std::string>> cells;
  const int rows = ListRowCount(list);
  for (int row = 0; row < rows; ++row) {
    cells.emplace_back();
    for (int column = 0; column < columns; ++column) cells.back().push_back(ListCell(app, list, row, column));
  }
  return cells;
}

std::string ListHeader(const App& app, HWND list, int column) {
  LVCOLUMNA header{};
  header.mask = LVCF_TEXT;
  LRESULT answer = 0;
  std::string text = RemoteText(app, list, LVM_GETCOLUMNA, static_cast<WPARAM>(column), header, answer);
  return answer > 0 ? text : "<no column " + std::to_string(column) + ">";
}

bool SetRowSelected(const App& app, HWND list, int row, bool selected) {
  RemoteBuffer remote(app.process.hProcess, sizeof(LVITEMA));
  if (!remote.address) return false;
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  item.state = selected ? LVIS_SELECTED : 0;
  if (!WriteProcessMemory(app.process.hProcess, remote.address, &item, sizeof item, nullptr)) return false;
  return SendWithTimeout(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.address)) > 0;
}

// The program frees the drop with DragFinish once it has read it, which the driver cannot
// observe from outside, so the block stays until the process ends.
bool DropFiles(const App& app, HWND window, const std::vector<std::string>& paths) {
  std::wstring list;
  for (const std::string& path : paths) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, path.c_str(), -1, wide.data(), size);
    list += wide;  // with its terminating zero
  }
  list.push_back(L'\0');
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  block.append(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(wchar_t));
  void* remote = VirtualAllocEx(app.process.hProcess, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote || !WriteProcessMemory(app.process.hProcess, remote, block.data(), block.size(), nullptr)) return false;
  return PostMessageA(window, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0) != 0;
}

std::string MessageBoxText(HWND box) {
  std::string best;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassOf(child) != "Static") continue;
    std::string text = WindowText(child);
    if (text.size() > best.size()) best = text;
  }
  return best;
}

// The explorer-style open dialog names its file box edt1 (a plain edit) or cmb13 (a combo box
// with an edit inside); either takes the path as its window text. With a hook the controls sit
// in the top-level dialog, not in the hook's child dialog.
bool AnswerOpenDialog(HWND dialog, const std::string& path) {
  constexpr int kFileEdit = 0x480;   // edt1
  constexpr int kFileCombo = 0x47c;  // cmb13
  HWND box = FindDescendant(dialog, kFileEdit);
  if (!box) box = FindDescendant(dialog, kFileCombo);
  if (!box) return false;
  if (SendWithTimeout(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str())) != TRUE) return false;
  PressDialogButton(dialog, IDOK);
  return true;
}

HWND FocusedWindow(const App& app) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(app.process.dwThreadId, &info)) return nullptr;
  return info.hwndFocus;
}

// A dialog's message loop turns keys posted to one of its controls into dialog navigation
// (Tab) and commands (Enter, Escape) just as it does for typed keys.
void PostKey(const App& app, WORD key) {
  HWND target = FocusedWindow(app);
  if (!target) target = app.main;
  const UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
  PostMessageA(target, WM_KEYDOWN, key, 1 | (static_cast<LPARAM>(scan) << 16));
  PostMessageA(target, WM_KEYUP, key, 1 | (static_cast<LPARAM>(scan) << 16) | (3LL << 30));
}

// Dialogs move their focus on WM_NEXTDLGCTL; for windows that are not dialogs the driver's
// thread borrows the target's input state for a moment.
bool FocusControl(const App& app, HWND control) {
  SendWithTimeout(GetAncestor(control, GA_ROOT), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
  if (FocusedWindow(app) == control) return true;
  const DWORD self = GetCurrentThreadId();
  if (AttachThreadInput(self, app.process.dwThreadId, TRUE)) {
    SetFocus(control);
    AttachThreadInput(self, app.process.dwThreadId, FALSE);
  }
  return PollUntil([&] { return FocusedWindow(app) == control; }, 1000);
}

bool BringToFront(const App& app) {
  if (GetForegroundWindow() == app.main) return true;
  SetForegroundWindow(app.main);
  return PollUntil([&] { return GetForegroundWindow() == app.main; }, 2000);
}

// Copies from the screen, so the window must be on top; each pixel is 0x00RRGGBB.
std::vector<std::uint32_t> CaptureClient(HWND window, int& width, int& height) {
  RECT client{};
  POINT origin{0, 0};
  if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin)) return {};
  width = client.right;
  height = client.bottom;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<std::uint32_t> pixels;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (memory && bitmap) {
    HGDIOBJ previous = SelectObject(memory, bitmap);
    if (BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY | CAPTUREBLT)) {
      GdiFlush();
      const auto* first = static_cast<const std::uint32_t*>(bits);
      pixels.assign(first, first + static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
      for (std::uint32_t& pixel : pixels) pixel &= 0xFFFFFF;
    }
    SelectObject(memory, previous);
  }
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

void TypeKey(WORD key, WORD modifier) {
  INPUT inputs[4] = {};
  const WORD keys[4] = {modifier, key, key, modifier};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    if (i >= 2) inputs[i].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  if (modifier) SendInput(4, inputs, sizeof(INPUT));
  else SendInput(2, inputs + 1, sizeof(INPUT));
}

bool RowRect(const App& app, HWND list, int row, RECT& rect) {
  RemoteBuffer remote(app.process.hProcess, sizeof(RECT));
  rect = RECT{LVIR_BOUNDS, 0, 0, 0};
  if (!remote.address || !WriteProcessMemory(app.process.hProcess, remote.address, &rect, sizeof rect, nullptr))
    return false;
  if (SendWithTimeout(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.address)) <= 0 ||
      !ReadProcessMemory(app.process.hProcess, remote.address, &rect, sizeof rect, nullptr))
    return false;
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return true;
}

// Every event carries the point itself (absolute, over the primary screen), so no click lands
// where an earlier move had not yet taken the pointer.
void MouseClick(POINT at, bool right, bool twice) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  const LONG x = MulDiv(at.x, 65535, width - 1), y = MulDiv(at.y, 65535, height - 1);
  const DWORD down = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN, up = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  auto send = [&](DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = x;
    input.mi.dy = y;
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
  };
  send(0);
  Sleep(50);
  for (int click = 0; click < (twice ? 2 : 1); ++click) {
    send(down);
    send(up);
    Sleep(30);
  }
}

HWND WaitForClass(const App& app, const std::string& className, HWND except) {
  HWND found = nullptr;
  PollUntil(
      [&] {
        for (HWND window : TopWindows(app))
          if (window != except && ClassOf(window) == className) found = window;
        return found != nullptr;
      },
      kWindowWait);
  return found;
}

HWND WaitForMenu(const App& app) { return WaitForClass(app, "#32768"); }

std::vector<bool> MenuItemsEnabled(HWND menu, int items) {
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  // The menu may still be drawing: wait until some band shows text at all.
  PollUntil(
      [&] {
        pixels = CaptureClient(menu, width, height);
        for (std::uint32_t pixel : pixels)
          if (pixel != pixels.front()) return true;
        return false;
      },
      2000);
  if (pixels.empty() || items <= 0) return {};
  std::vector<bool> enabled(static_cast<std::size_t>(items), false);
  for (int y = 0; y < height; ++y) {
    const int band = y * items / height;
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x];
      if (((pixel >> 16) & 0xFF) < 0x40 && ((pixel >> 8) & 0xFF) < 0x40 && (pixel & 0xFF) < 0x40)
        enabled[static_cast<std::size_t>(band)] = true;
    }
  }
  return enabled;
}

// A click that comes while the menu is still setting up its loop is lost: once it shows its items
// the click is given, and given again while the menu stays.
void ClickMenuItem(HWND menu, int item, int items) {
  MenuItemsEnabled(menu, items);
  RECT client{};
  GetClientRect(menu, &client);
  POINT at{client.right / 2, (2 * item + 1) * client.bottom / (2 * items)};
  ClientToScreen(menu, &at);
  for (int attempt = 0; attempt < 3 && IsWindowVisible(menu); ++attempt) {
    MouseClick(at, false);
    PollUntil([&] { return !IsWindowVisible(menu); }, 2000);
  }
}

}  // namespace e2e
