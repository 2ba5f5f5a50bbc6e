// The one place where a window's handler is called: the exception boundary of the user interface.
// Portable, so the Win32 dialog procedure and the native tests share it.
#include <exception>
#include <new>
#include <string>

#include "platform/ui.h"

namespace ui {

namespace {

// Shows the failure over window. Nothing may escape from here either: the box is given up when
// even it cannot be shown.
void ReportEscaped(Window window, const char* reason) noexcept {
  try {
    ShowError(window, std::string("Could not complete the action:\r") + reason);
  } catch (...) {
  }
}

}  // namespace

void ShowError(Window owner, const std::string& text) {
  ShowMessage(owner, text, "stowr - error", kMbOk | kMbIconError);
}

// An exception must not unwind through the system's frames that called the window procedure,
// which ends the process; it ends the action instead, and the message counts as not handled.
std::intptr_t CallHandler(const Handler& handler, Window window, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam) {
  try {
    return handler(window, message, wParam, lParam);
  } catch (const std::bad_alloc&) {
    ReportEscaped(window, "There is not enough memory");
  } catch (const std::exception& error) {
    ReportEscaped(window, error.what());
  } catch (...) {
    ReportEscaped(window, "An unexpected error occurred");
  }
  return 0;
}

}  // namespace ui
