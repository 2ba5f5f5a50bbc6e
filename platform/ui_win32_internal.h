#pragma once
// What the pieces of the Win32 user interface share: the state kept for each window we build.
#include <windows.h>

#include <map>

#include "platform/ui.h"

namespace ui::win32 {

struct ControlColors {
  Color text, background;
  HBRUSH brush = nullptr;
};

// One modal run in progress; lives on RunModal's stack.
struct ModalRun {
  bool ended = false;
  std::intptr_t value = 0;
};

// Owned by the window: made by CreateWindowFromLayout, freed at WM_NCDESTROY.
struct WindowState {
  Handler handler;              // set for the duration of RunModal
  ModalRun* run = nullptr;      // the run in progress, if any
  bool endedEarly = false;      // EndModal before RunModal began
  std::intptr_t earlyValue = 0;
  int dpi = 96;                 // the DPI the window was laid out for
  HFONT font = nullptr;         // "MS Sans Serif" 8 point, given to every control
  HICON bigIcon = nullptr, smallIcon = nullptr;
  std::map<int, ControlColors> colors;  // by control id
  std::map<int, CellText> rows;         // the cells of owner-data list views, by control id
};

WindowState* StateOf(HWND window);
// The cells and typed-text searches of an owner-data list of the window (ui_win32_list.cpp):
// true when handled, with the notification's result.
bool OnListNotify(WindowState& state, const NMHDR& header, LRESULT& result);
INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HFONT CreatePointFont(const char* face, int points, int dpi);

// DPI (ui_win32_dpi.cpp): a window's current DPI, the DPI one of ours was laid out for, and a
// length at 96 DPI in pixels at another.
int WindowDpi(HWND window);
int DpiOf(HWND window);
int Scaled(int value, int dpi);

// Screen and text fit (ui_win32_screen.cpp): moves a window by the least that puts it inside the
// work area of its monitor; widens a left-aligned label whose text does not fit its box, within its
// parent and without covering another control.
void KeepInWorkArea(HWND window);
void FitLabel(HWND parent, HWND label);

// Context menus and double-clicks (ui_win32_menu.cpp): WM_CONTEXTMENU and a list's NM_DBLCLK
// handed to the handler as kContextMenu and kListDoubleClick; true when the handler took them.
bool OnContextMenu(HWND window, WindowState& state, WPARAM wParam, LPARAM lParam);
bool OnListDoubleClick(HWND window, WindowState& state, const NMHDR& header);
// WM_SYSCOMMAND of an item AddWindowMenuItem added, handed to the handler as kCommand; false for
// the system's own commands.
bool OnWindowMenuItem(HWND window, WindowState& state, WPARAM command);

// WM_DROPFILES (ui_win32_drop.cpp): hands the handler the dropped files as kDropFiles.
INT_PTR OnDropFiles(HWND window, WindowState& state, WPARAM drop);
COLORREF ToColorRef(Color color, int systemIndex);

inline HWND Hwnd(Window window) { return static_cast<HWND>(window); }
inline HWND Control(Window window, int id) { return GetDlgItem(Hwnd(window), id); }

}  // namespace ui::win32
