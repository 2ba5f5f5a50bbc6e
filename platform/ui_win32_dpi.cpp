// Win32 user interface: DPI. Layouts are pixels at 96 DPI; a window is laid out in the pixels
// of the monitor it is on when it is built (the manifest declares per-monitor awareness, so
// Windows does not stretch a blurred bitmap of it). When a window later moves to a monitor of
// another DPI, the dialog manager re-lays out and re-sizes it (per-monitor v2 dialogs).
#include <windows.h>

#include "platform/ui_win32_internal.h"

namespace ui::win32 {

namespace {

constexpr int kBaseDpi = 96;

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);

// GetDpiForWindow came with Windows 10 1607; before it, all monitors share the system DPI.
GetDpiForWindowFunction DpiForWindowCall() {
  static const auto call = reinterpret_cast<GetDpiForWindowFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
  return call;
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int WindowDpi(HWND window) {
  if (GetDpiForWindowFunction call = DpiForWindowCall(); call && window) {
    if (const UINT dpi = call(window); dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

// The DPI a window of ours was laid out for; another window's current DPI.
int DpiOf(HWND window) {
  const WindowState* state = StateOf(window);
  return state ? state->dpi : WindowDpi(window);
}

// Rounds to the nearest pixel, so 96 DPI gives the value back unchanged.
int Scaled(int value, int dpi) { return MulDiv(value, dpi, kBaseDpi); }

}  // namespace ui::win32
