// The temporary file of a replace on Windows: a new file named after the target with a stowr
// suffix and a checked random part (files_temp_name.h), opened without sharing while it is
// written, so that no other program, and no other write's clean-up, can open or delete it
// meanwhile. A file of such a name that can be deleted is no longer held by anyone: what a crash
// or a power cut left behind.
#include "platform/files_temp_name.h"
#include "platform/files_win32_internal.h"

namespace platform {

using namespace win32;

namespace {

constexpr std::string_view kSeparators = "\\/";

// The folder of path, for a message that names it as the cause.
std::string FolderOf(const std::string& path) {
  const std::size_t end = path.find_last_of(kSeparators);
  if (end == std::string::npos) return ".";
  return end == 0 || path[end - 1] == ':' ? path.substr(0, end + 1) : path.substr(0, end);
}

}  // namespace

// A folder that refuses the new file is named as the cause.
Status NativeFileSystem::CreateTempBeside(const std::string& path, TempFile& temp, bool) {
  temp = TempFile{};
  const std::string prefix = TempPrefix(path, kSeparators);
  for (int attempt = 0;; ++attempt) {
    std::string name = TempName(prefix, kSeparators);
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      temp.file = FromHandle(handle);
      temp.path = name;
      return Status::Success();
    }
    DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT)
      return Status::Failed("The folder " + FolderOf(path) + " does not accept new files: " + ErrorText(error));
    if (error != ERROR_FILE_EXISTS || attempt == 100) return ErrorStatus(error);
  }
}

// Of any file in the folder. DeleteFileA fails on a file that a write in progress holds open
// without sharing.
void NativeFileSystem::RemoveStaleTemps(const std::string& path) {
  const std::string prefix = TempPrefix(path, kSeparators);
  const std::string folder = prefix.substr(0, prefix.size() - TempNamePrefix(prefix, kSeparators).size());
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTempName(found.cFileName))
      DeleteFileA((folder + found.cFileName).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

// An existing target is replaced by ReplaceFileA, which gives the new file the target's security
// descriptor, attributes, alternate data streams and creation time, as a write in place would
// keep them. A new one is moved in place by MoveFileExA, which with MOVEFILE_WRITE_THROUGH
// returns only when the move is on the disk. The file must be closed first. A read-only target
// makes either fail, as a plain write would.
// ReplaceFileA is given full paths: Wine's takes the folder from the path it is given.
std::string FullPath(const std::string& path) {
  char full[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
  return length > 0 && length < sizeof full ? std::string(full, length) : path;
}

bool PutInPlace(const std::string& temp, const std::string& path) {
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES)
    return ::ReplaceFileA(FullPath(path).c_str(), FullPath(temp).c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                          nullptr, nullptr);
  return MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

Status NativeFileSystem::ReplaceFile(TempFile& temp, const std::string& path) {
  CloseFile(temp.file);
  temp.file = kNoFile;
  for (int attempt = 0;; ++attempt) {
    if (PutInPlace(temp.path, path)) {
      temp.path.clear();
      return Status::Success();
    }
    DWORD error = GetLastError();
    if (!IsTransient(error) || attempt == 9) return ErrorStatus(error);
    Sleep(100);
  }
}

void NativeFileSystem::DiscardTemp(TempFile& temp) {
  CloseFile(temp.file);
  if (!temp.path.empty()) DeleteFileA(temp.path.c_str());
  temp = TempFile{};
}

}  // namespace platform
