// Win32 user interface: message boxes and the Open and Save As common dialogs.
#include <windows.h>
// (needs <windows.h> above it)
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "platform/ui_win32_internal.h"

namespace ui {

using namespace win32;

namespace {

constexpr std::size_t kMaxInitialName = 259;

struct Placement {
  HWND owner = nullptr;
  Point offset;
  bool bringToForeground = false;
};

// At the owner's outer top-left plus the offset, moved just enough to lie within the work area.
void Place(HWND dialog, const Placement& placement) {
  if (!placement.owner) return;
  RECT outer{};
  GetWindowRect(placement.owner, &outer);
  const int dpi = DpiOf(placement.owner);
  SetWindowPos(dialog, nullptr, outer.left + Scaled(placement.offset.x, dpi),
               outer.top + Scaled(placement.offset.y, dpi), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  KeepInWorkArea(dialog);
  if (placement.bringToForeground) SetForegroundWindow(dialog);
}

// The hook's only job is placement. An Explorer-style dialog hands the hook its child dialog,
// whose parent is the window to move; it is moved at WM_INITDIALOG and again when the dialog
// reports its set-up done, in case the dialog re-centred itself in between.
UINT_PTR CALLBACK PlacementHook(HWND hook, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* request = reinterpret_cast<OPENFILENAMEA*>(lParam);
    auto* placement = reinterpret_cast<Placement*>(request->lCustData);
    SetWindowLongPtrA(hook, DWLP_USER, reinterpret_cast<LONG_PTR>(placement));
    HWND dialog = (request->Flags & OFN_EXPLORER) ? GetParent(hook) : hook;
    Place(dialog, *placement);
    return TRUE;
  }
  if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == CDN_INITDONE) {
    auto* placement = reinterpret_cast<Placement*>(GetWindowLongPtrA(hook, DWLP_USER));
    if (placement) Place(GetParent(hook), *placement);
  }
  return 0;
}

// One filter pair, as the dialog wants it: "description\0pattern\0\0".
std::string FilterText(const FileDialogOptions& options) {
  std::string filter = options.filterDescription;
  filter.push_back('\0');
  filter += options.filterPattern;
  filter.push_back('\0');
  filter.push_back('\0');
  return filter;
}

// Both dialogs share their set-up. The hook is always installed, as every dialog of ours is
// placed relative to its owner. The name buffer is preset with at most 259 characters of the
// initial name, fewer when the buffer is smaller.
std::string AskFile(Window owner, const FileDialogOptions& options, bool save) {
  std::vector<char> name(std::max<std::size_t>(options.bufferSize, 1), '\0');
  std::size_t preset = std::min({options.initialName.size(), kMaxInitialName, name.size() - 1});
  std::copy_n(options.initialName.begin(), preset, name.begin());
  std::string filter = FilterText(options);
  Placement placement{Hwnd(owner), options.offsetFromOwner, options.bringToForeground};

  OPENFILENAMEA request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = Hwnd(owner);
  request.lpstrFilter = filter.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = name.data();
  request.nMaxFile = static_cast<DWORD>(name.size());
  request.lpstrInitialDir = options.initialFolder.empty() ? nullptr : options.initialFolder.c_str();
  request.lpstrTitle = options.title.c_str();
  request.lpstrDefExt = options.defaultExtension.empty() ? nullptr : options.defaultExtension.c_str();
  request.Flags = options.flags | OFN_ENABLEHOOK;
  request.lCustData = reinterpret_cast<LPARAM>(&placement);
  request.lpfnHook = PlacementHook;

  BOOL chosen = save ? GetSaveFileNameA(&request) : GetOpenFileNameA(&request);
  if (!chosen) return "";
  name.back() = '\0';
  return name.data();
}

// The message box of this thread that is about to be activated for the first time is moved into
// the work area. One box at a time per thread; the hook lives while MessageBoxA runs.
thread_local HHOOK tBoxHook = nullptr;

LRESULT CALLBACK BoxHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && tBoxHook) {
    KeepInWorkArea(reinterpret_cast<HWND>(wParam));
    UnhookWindowsHookEx(tBoxHook);
    tBoxHook = nullptr;
    return 0;
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int ShowMessage(Window owner, const std::string& text, const std::string& caption, std::uint32_t flags) {
  const bool hooked = tBoxHook == nullptr;
  if (hooked) tBoxHook = SetWindowsHookExA(WH_CBT, BoxHook, nullptr, GetCurrentThreadId());
  const int answer = MessageBoxA(Hwnd(owner), text.c_str(), caption.c_str(), flags);
  if (hooked && tBoxHook) {
    UnhookWindowsHookEx(tBoxHook);
    tBoxHook = nullptr;
  }
  return answer;
}

std::string AskOpenFile(Window owner, const FileDialogOptions& options) { return AskFile(owner, options, false); }

std::string AskSaveFile(Window owner, const FileDialogOptions& options) { return AskFile(owner, options, true); }

}  // namespace ui
