// The scratch file on Windows: a new file of the temporary kind of name (files_temp_name.h) beside
// the path given, shared with nobody and deleted by the system when its handle closes, also when
// the program is ended from outside.
#include "platform/files_temp_name.h"
#include "platform/files_win32_internal.h"

namespace platform {

using namespace win32;

Status NativeFileSystem::CreateScratchFile(const std::string& path, FileHandle& file) {
  file = kNoFile;
  constexpr std::string_view kSeparators = "\\/";
  const std::string prefix = TempPrefix(path, kSeparators);
  for (int attempt = 0;; ++attempt) {
    HANDLE handle = CreateFileA(TempName(prefix, kSeparators).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      file = FromHandle(handle);
      return Status::Success();
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS || attempt == 100) return PathError(path, error);
  }
}

}  // namespace platform
