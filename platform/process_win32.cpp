// Windows: the process queries through the ANSI kernel calls.
#include "platform/process.h"

#include <windows.h>

namespace platform {

// The command line exactly as the process received it, program name included.
std::string CommandLine() {
  const char* line = GetCommandLineA();
  return line ? line : "";
}

// GetModuleFileNameA truncates silently when the buffer is too small (the result then fills it),
// so the buffer grows until the whole path fits. The reader's core asks GetModuleFileNameW the
// same way (tp_self_name in reader/tailpack.h), for a wide path; this is the ANSI one, in the
// program's UTF-8 code page.
std::string ModulePath() {
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return "";
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    if (buffer.size() >= 32768) return "";
    buffer.resize(buffer.size() * 2);
  }
}

// Asks for the size first; the folder may change between the two calls, so the second result
// is checked against the buffer again.
std::string CurrentDirectory() {
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return "";
    std::string buffer(needed, '\0');
    DWORD length = GetCurrentDirectoryA(needed, buffer.data());
    if (length == 0) return "";
    if (length < needed) {
      buffer.resize(length);
      return buffer;
    }
  }
  return "";
}

// Only a plain file goes: folders and files marked hidden or system stay. Nothing is reported.
// GetTempPathA ends the folder with a backslash.
std::string TempFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof buffer, buffer);
  return length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
}

void DeletePlainFile(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) return;
  DeleteFileA(path.c_str());
}

}  // namespace platform
