// The temporary file of a replace on Windows: a new file named after the target with a stowr
// suffix ("app.exe.stowr-tmp-Ab12Cd"), opened without sharing while it is written, so that no
// other program, and no other write's clean-up, can open or delete it meanwhile. A file of that
// name that can be deleted is no longer held by anyone: what a crash or a power cut left behind.
#include "platform/files_temp_name.h"
#include "platform/files_win32_internal.h"

namespace platform {

using namespace win32;

namespace {

constexpr std::string_view kSeparators = "\\/";

}  // namespace

Status CreateTempBeside(const std::string& path, TempFile& temp, bool) {
  temp = TempFile{};
  const std::string prefix = TempPrefix(path, kSeparators);
  for (int attempt = 0;; ++attempt) {
    std::string name = prefix + RandomChars();
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      temp.file = FromHandle(handle);
      temp.path = name;
      return Status::Success();
    }
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS || attempt == 100) return ErrorStatus(error);
  }
}

// DeleteFileA fails on a file that a write in progress holds open without sharing.
void RemoveStaleTemps(const std::string& path) {
  const std::string prefix = TempPrefix(path, kSeparators);
  const std::string_view namePrefix = TempNamePrefix(prefix, kSeparators);
  const std::string folder = prefix.substr(0, prefix.size() - namePrefix.size());
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((prefix + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTempName(found.cFileName, namePrefix))
      DeleteFileA((folder + found.cFileName).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// MoveFileExA replaces the target in one step and, with MOVEFILE_WRITE_THROUGH, returns only when
// the move is on the disk. The file must be closed first. A read-only target makes it fail, as a
// plain write would.
Status ReplaceFile(TempFile& temp, const std::string& path) {
  CloseFile(temp.file);
  temp.file = kNoFile;
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExA(temp.path.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      temp.path.clear();
      return Status::Success();
    }
    DWORD error = GetLastError();
    if (!IsTransient(error) || attempt == 9) return ErrorStatus(error);
    Sleep(100);
  }
}

void DiscardTemp(TempFile& temp) {
  CloseFile(temp.file);
  if (!temp.path.empty()) DeleteFileA(temp.path.c_str());
  temp = TempFile{};
}

}  // namespace platform
