// Win32 user interface: files dropped on a window. Explorer's drops, and under Wine the X
// drag-and-drop of the desktop, arrive as WM_DROPFILES with an HDROP in this process; the
// handler gets the dropped files (folders left out), and only when there is one and the window
// takes input (a disabled window, under a modal dialog or busy, ignores drops).
#include <windows.h>
// (needs <windows.h> above it)
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/ui_win32_internal.h"

namespace ui {

using namespace win32;

namespace {

// Dropped path i (UTF-8 under the program's code page), or empty when there is none.
std::string DroppedPath(HDROP drop, UINT i) {
  const UINT length = DragQueryFileA(drop, i, nullptr, 0);
  if (length == 0) return "";
  std::string path(length + 1, '\0');
  const UINT copied = DragQueryFileA(drop, i, path.data(), length + 1);
  path.resize(copied);
  return path;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

namespace win32 {

// The drop is released before the handler runs, since the handler may open modal dialogs.
INT_PTR OnDropFiles(HWND window, WindowState& state, WPARAM dropHandle) {
  auto drop = reinterpret_cast<HDROP>(dropHandle);
  std::vector<std::string> files;
  const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::string path = DroppedPath(drop, i);
    if (!path.empty() && IsFile(path)) files.push_back(std::move(path));
  }
  DragFinish(drop);
  if (files.empty() || !IsWindowEnabled(window) || !state.handler) return TRUE;
  CallHandler(state.handler, window, kDropFiles, 0, reinterpret_cast<LPARAM>(&files));
  return TRUE;
}

}  // namespace win32

void AcceptDroppedFiles(Window window) { DragAcceptFiles(Hwnd(window), TRUE); }

}  // namespace ui
