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

// A temporary file of a crash, provably: a plain file with one name that nobody else has open,
// which an open without sharing shows; it is then deleted through that open handle.
void DeleteIfStale(const std::string& path) {
  HANDLE handle = CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return;
  BY_HANDLE_FILE_INFORMATION info;
  FILE_DISPOSITION_INFO disposition = {TRUE};
  if (GetFileInformationByHandle(handle, &info) && info.nNumberOfLinks == 1 &&
      !(info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
  CloseHandle(handle);
}

}  // namespace

// A folder that refuses the new file is named as the cause.
Status NativeFileSystem::CreateTempBeside(const Target& target, TempFile& temp, bool) {
  temp = TempFile{};
  const std::string& path = target.path;
  const std::string prefix = TempPrefix(path, kSeparators);
  for (int attempt = 0;; ++attempt) {
    std::string name = TempName(prefix, kSeparators);
    HANDLE handle = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      temp.file = FromHandle(handle);
      temp.folder = target.folder;
      temp.path = name;
      return Status::Success();
    }
    DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT)
      return Status::Failed("The folder " + FolderOf(path) + " does not accept new files: " + ErrorText(error));
    if (error != ERROR_FILE_EXISTS || attempt == 100) return ErrorStatus(error);
  }
}

// Of any file in the folder, and of those only the files DeleteIfStale can prove stale: a write in
// progress holds its file open without sharing, a reader holds it open too, and a hard link of a
// user's file has more than one name.
void NativeFileSystem::RemoveStaleTemps(const Target& target) {
  const std::string prefix = TempPrefix(target.path, kSeparators);
  const std::string folder = prefix.substr(0, prefix.size() - TempNamePrefix(prefix, kSeparators).size());
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsTempName(found.cFileName))
      DeleteIfStale(folder + found.cFileName);
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

// The folder, held open so that it cannot be renamed meanwhile, must still be the one the path
// leads to.
Status NativeFileSystem::ReplaceFile(TempFile& temp, const Target& target) {
  const std::string& path = target.path;
  if (!FolderKept(target)) return Status::Failed(std::string(kFolderChanged));
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
