// Win32 user interface: text that is not a path. The program runs with the UTF-8 code page, so
// its own texts and paths go through the ANSI calls as UTF-8. Bytes read out of a file are
// another matter: they are shown as characters of the machine's legacy ANSI code page, as the
// program showed them before it switched to UTF-8, so a stored file reads as it always did.
#include <windows.h>

#include "platform/ui_win32_internal.h"

namespace ui {

using namespace win32;

namespace {

// The system locale's ANSI code page (1252 on a Western system, 932 on a Japanese one), whatever
// code page this process runs with; the process's own when the locale does not say.
UINT LegacyCodePage() {
  DWORD codePage = 0;
  const int got = GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                                 reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(WCHAR));
  return got > 0 && codePage != 0 ? codePage : CP_ACP;
}

}  // namespace

void SetByteText(Window window, int id, const std::string& bytes) {
  std::wstring text;
  if (!bytes.empty()) {
    const UINT codePage = LegacyCodePage();
    const int size = static_cast<int>(bytes.size());
    const int wide = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    text.resize(static_cast<std::size_t>(wide > 0 ? wide : 0));
    if (wide > 0) MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), wide);
  }
  SetWindowTextW(Control(window, id), text.c_str());
}

}  // namespace ui
