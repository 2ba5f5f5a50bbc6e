// Windows: the handle under the C runtime's standard output, written with WriteFile, which
// translates nothing. The program runs with the UTF-8 code page, but a console keeps its own
// (often 437 or 850) until told.
#include <windows.h>
// <windows.h> maps ReplaceFile to ReplaceFileA, which would rename a call of files.h.
#undef ReplaceFile

#include <cstdlib>
#include <string>

#include "platform/console.h"

namespace platform {

FileHandle StandardOutput() { return reinterpret_cast<FileHandle>(GetStdHandle(STD_OUTPUT_HANDLE)); }

// A pipe whose writer has finished ends with ERROR_BROKEN_PIPE, which is the end of the data.
// ReadFile takes a 32-bit count.
Status ReadStandardInput(char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  DWORD n = 0;
  if (!ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, static_cast<DWORD>(size > MAXDWORD ? MAXDWORD : size), &n,
                nullptr)) {
    if (GetLastError() == ERROR_BROKEN_PIPE) return Status::Success();
    return Status::Failed("cannot read standard input (error " + std::to_string(GetLastError()) + ")");
  }
  got = n;
  return Status::Success();
}

namespace {

UINT gSavedOutputCodePage = 0;

void RestoreOutputCodePage() { SetConsoleOutputCP(gSavedOutputCodePage); }

bool IsConsole(DWORD which) {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(which), &mode) != 0;
}

}  // namespace

// The console's code page belongs to the console, shared with the shell that started us, so it
// is given back when the program ends.
void UseUtf8Console() {
  if (!IsConsole(STD_OUTPUT_HANDLE) && !IsConsole(STD_ERROR_HANDLE)) return;
  const UINT current = GetConsoleOutputCP();
  if (current == CP_UTF8 || current == 0) return;
  if (!SetConsoleOutputCP(CP_UTF8)) return;
  gSavedOutputCodePage = current;
  std::atexit(RestoreOutputCodePage);
}

}  // namespace platform
