// File primitives on Windows, through the ANSI calls: CreateFileA and ReadFile at OVERLAPPED
// offsets for reading; GetTempFileNameA, FlushFileBuffers and MoveFileExA for replacing a file.
// A target held briefly by another program (a virus scanner, an indexer) is retried for about a
// second before the failure is reported.
#include <windows.h>
// <windows.h> maps ReplaceFile to ReplaceFileA, which would rename our own function.
#undef ReplaceFile

#include <string>

#include "platform/files.h"

namespace platform {

namespace {

HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
FileHandle FromHandle(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }

// The system's text for an error code, without the trailing line break and full stop.
std::string ErrorText(DWORD error) {
  char* text = nullptr;
  DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length > 0 ? std::string(text, length) : "Error " + std::to_string(error);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\r' || message.back() == '\n' || message.back() == ' ' ||
                              message.back() == '.'))
    message.pop_back();
  return message;
}

Status ErrorStatus(DWORD error) {
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Status::NotFound(ErrorText(error));
  return Status::Error(ErrorText(error));
}

Status LastError() { return ErrorStatus(GetLastError()); }

bool IsTransient(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED; }

// The folder part of path ("." when it has none).
std::string FolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return ".";
  if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
  return path.substr(0, slash);
}

// Opens path for writing without changing it, retrying while another program holds it.
HANDLE OpenForWriteCheck(const std::string& path) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 10; ++attempt) {
    handle = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
    Sleep(100);
  }
  return handle;
}

}  // namespace

// Links on Windows need privileges to make and are left to the file system.
std::string ReplaceTarget(const std::string& path) { return path; }

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Opens an existing file (never creating one) and lets other programs read it meanwhile.
Status OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size) {
  file = kNoFile;
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  LARGE_INTEGER length;
  if (!GetFileSizeEx(handle, &length)) {
    Status status = LastError();
    CloseHandle(handle);
    return status;
  }
  file = FromHandle(handle);
  size = static_cast<std::uint64_t>(length.QuadPart);
  return Status::Success();
}

// ReadFile takes a 32-bit count, so large reads go in steps, each at its own OVERLAPPED offset.
Status ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t n) {
  while (n > 0) {
    DWORD step = n > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(n);
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(Handle(file), buffer, step, &got, &at)) return LastError();
    if (got == 0) return Status::Error("Unexpected end of file");
    buffer += got;
    offset += got;
    n -= got;
  }
  return Status::Success();
}

void CloseFile(FileHandle file) {
  if (file != kNoFile) CloseHandle(Handle(file));
}

// A missing target may be created. An existing one must be a file without the read-only
// attribute that can be opened for writing: replacing it by a rename must not get round
// protection or a lock that a plain write would meet.
Status CheckReplaceable(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return Status::Success();
    return ErrorStatus(error);
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Status::Error(ErrorText(ERROR_DIRECTORY));
  if (attributes & FILE_ATTRIBUTE_READONLY) return Status::Error(ErrorText(ERROR_ACCESS_DENIED));
  HANDLE handle = OpenForWriteCheck(path);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  CloseHandle(handle);
  return Status::Success();
}

// GetTempFileNameA makes a new, uniquely named file in the target's folder; it is then opened
// for writing with no sharing while it is filled.
Status CreateTempBeside(const std::string& path, FileHandle& file, std::string& tempPath) {
  file = kNoFile;
  char name[MAX_PATH + 1] = {};
  if (GetTempFileNameA(FolderOf(path).c_str(), "stw", 0, name) == 0) return LastError();
  HANDLE handle = CreateFileA(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    Status status = LastError();
    DeleteFileA(name);
    return status;
  }
  file = FromHandle(handle);
  tempPath = name;
  return Status::Success();
}

Status WriteAll(FileHandle file, const char* data, std::size_t n) {
  while (n > 0) {
    DWORD step = n > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(n);
    DWORD put = 0;
    if (!WriteFile(Handle(file), data, step, &put, nullptr)) return LastError();
    data += put;
    n -= put;
  }
  return Status::Success();
}

// Copies through an 8 MiB buffer.
Status CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to) {
  return CopyThroughBuffer(from, offset, n, to);
}

Status FlushFile(FileHandle file) {
  if (!FlushFileBuffers(Handle(file))) return LastError();
  return Status::Success();
}

// MoveFileExA replaces the target in one step and, with MOVEFILE_WRITE_THROUGH, returns only when
// the move is on the disk. A read-only target makes it fail, as a plain write would.
Status ReplaceFile(const std::string& tempPath, const std::string& path) {
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExA(tempPath.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return Status::Success();
    DWORD error = GetLastError();
    if (!IsTransient(error) || attempt == 9) return ErrorStatus(error);
    Sleep(100);
  }
}

Status RemoveFile(const std::string& path) {
  if (!DeleteFileA(path.c_str())) {
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return ErrorStatus(error);
  }
  return Status::Success();
}

}  // namespace platform
