// File primitives on Windows, through the ANSI calls: CreateFileA and ReadFile at OVERLAPPED
// offsets for reading, FlushFileBuffers for flushing. The temporary file of a replace is in
// files_temp_win32.cpp. A target held briefly by another program (a virus scanner, an indexer) is
// retried for about a second before the failure is reported.
#include "platform/files_win32_internal.h"
#include "platform/files_temp_name.h"

#include <cstdio>
#include <string>

namespace platform {

namespace win32 {

// The reader's core has its own (tpi_fail_code in reader/tailpack.h): into a fixed buffer, which
// cuts a long text, and "Windows error N" where the system has none.
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
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return Status::Missing(ErrorText(error));
  return Status::Failed(ErrorText(error));
}

// Without the \\?\ prefix the ANSI calls take paths shorter than MAX_PATH.
bool Unprefixed(const std::string& path) { return path.rfind("\\\\?\\", 0) != 0; }
bool TooLong(const std::string& path) { return path.size() >= MAX_PATH && Unprefixed(path); }

Status PathError(const std::string& path, DWORD error) {
  if (TooLong(path) && (error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND))
    return Status::Failed(ErrorText(ERROR_FILENAME_EXCED_RANGE));
  return ErrorStatus(error);
}

std::string FolderOf(const std::string& path) {
  const std::size_t end = path.find_last_of("\\/");
  if (end == std::string::npos) return ".";
  return end == 0 || path[end - 1] == ':' ? path.substr(0, end + 1) : path.substr(0, end);
}

// Without FILE_SHARE_DELETE nobody may rename or delete the folder while it is open; its files
// stay free to be made, renamed and deleted.
HANDLE OpenFolder(const std::string& folder) {
  return CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

std::string IdentityOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%08lx-%08lx%08lx", static_cast<unsigned long>(info.dwVolumeSerialNumber),
                static_cast<unsigned long>(info.nFileIndexHigh), static_cast<unsigned long>(info.nFileIndexLow));
  return text;
}

// The folder is opened again by the path (sharing everything, so that the held handle does not
// refuse it) and compared with the one held.
bool FolderKept(const Target& target) {
  HANDLE named = CreateFileA(FolderOf(target.path).c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  const std::string identity = IdentityOf(named);
  CloseHandle(named);
  return !identity.empty() && identity == IdentityOf(Handle(target.folder));
}

}  // namespace win32

using namespace win32;

namespace {

// Opens an existing file, retrying for about a second while another program holds it (a virus
// scanner looking at a file just written, an indexer).
HANDLE OpenExisting(const std::string& path, DWORD access, DWORD share) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 10; ++attempt) {
    handle = CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
    Sleep(100);
  }
  return handle;
}

FileStamp StampFrom(const BY_HANDLE_FILE_INFORMATION& info) {
  FileStamp stamp;
  stamp.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  stamp.modified = static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                             info.ftLastWriteTime.dwLowDateTime);
  stamp.volume = info.dwVolumeSerialNumber;
  stamp.index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return stamp;
}

// Opens path for writing without changing it.
HANDLE OpenForWriteCheck(const std::string& path) {
  return OpenExisting(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
}

}  // namespace

// Links on Windows need privileges to make and are left to the file system.
std::string NativeFileSystem::ReplaceTarget(const std::string& path) { return path; }

// The folder is held open, so that it cannot be renamed away, until the write ends; a path that
// ends in a separator names no file.
Status NativeFileSystem::OpenTarget(const std::string& path, Target& target) {
  CloseTarget(target);
  const std::size_t separator = path.find_last_of("\\/");
  const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  if (name.empty()) return Status::Failed(ErrorText(ERROR_DIRECTORY));
  HANDLE folder = OpenFolder(FolderOf(path));
  if (folder == INVALID_HANDLE_VALUE) return PathError(path, GetLastError());
  target.folder = FromHandle(folder);
  target.path = path;
  target.name = name;
  return Status::Success();
}

void NativeFileSystem::CloseTarget(Target& target) {
  CloseFile(target.folder);
  target.folder = kNoFile;
}

// ReplaceFileA keeps the old file's permissions (its DACL); the owner of the new file is the user
// who writes it, as Windows gives it, which is not checked here.
Status NativeFileSystem::CheckOwnerKept(const std::string&) { return Status::Success(); }

bool NativeFileSystem::PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Opens an existing file (never creating one), waiting briefly for another program that holds it,
// and lets other programs read it meanwhile. A pipe
// or a device (CON, NUL, a COM port) is refused: only a file on a disk can be read as a whole.
Status NativeFileSystem::OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size) {
  file = kNoFile;
  HANDLE handle = OpenExisting(path, GENERIC_READ, FILE_SHARE_READ);
  if (handle == INVALID_HANDLE_VALUE) return PathError(path, GetLastError());
  LARGE_INTEGER length;
  Status status;
  if (GetFileType(handle) != FILE_TYPE_DISK) status = Status::Failed("Not a regular file (a pipe or a device)");
  else if (!GetFileSizeEx(handle, &length)) status = LastError();
  if (!status.ok()) {
    CloseHandle(handle);
    return status;
  }
  file = FromHandle(handle);
  size = static_cast<std::uint64_t>(length.QuadPart);
  return Status::Success();
}

// The basic information holds both times: the last write, and the last change of anything about
// the file (its attributes and security included).
Status NativeFileSystem::StampOf(FileHandle file, FileStamp& stamp) {
  BY_HANDLE_FILE_INFORMATION info;
  FILE_BASIC_INFO times;
  if (!GetFileInformationByHandle(Handle(file), &info) ||
      !GetFileInformationByHandleEx(Handle(file), FileBasicInfo, &times, sizeof times))
    return LastError();
  stamp = StampFrom(info);
  stamp.changed = times.ChangeTime.QuadPart;
  return Status::Success();
}

// Opens the last component itself (FILE_FLAG_OPEN_REPARSE_POINT), so that a link is seen as a
// link; folders open with FILE_FLAG_BACKUP_SEMANTICS. No access is asked for: only attributes
// are read.
Status NativeFileSystem::InspectName(const Target& target, NameKind& kind, FileStamp& stamp) {
  const std::string& path = target.path;
  kind = NameKind::Missing;
  stamp = FileStamp{};
  HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? Status::Success() : ErrorStatus(error);
  }
  BY_HANDLE_FILE_INFORMATION info;
  Status status = GetFileType(handle) != FILE_TYPE_DISK ? Status::Failed("Not a regular file (a pipe or a device)")
                  : GetFileInformationByHandle(handle, &info) ? Status::Success()
                                                              : LastError();
  CloseHandle(handle);
  if (!status.ok()) return status;
  const DWORD attributes = info.dwFileAttributes;
  kind = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ? NameKind::Link
         : (attributes & FILE_ATTRIBUTE_DIRECTORY)   ? NameKind::Other
                                                     : NameKind::File;
  stamp = StampFrom(info);
  return Status::Success();
}

// ReadFile takes a 32-bit count, so large reads go in steps, each at its own OVERLAPPED offset.
// The reader's core reads the same way (tp_file_read in reader/tailpack.h), which cannot use this
// layer: it opens wide paths, shares files for writing too and has texts of its own.
Status NativeFileSystem::ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t n) {
  while (n > 0) {
    DWORD step = n > (DWORD{1} << 30) ? (DWORD{1} << 30) : static_cast<DWORD>(n);
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    if (!ReadFile(Handle(file), buffer, step, &got, &at)) return LastError();
    if (got == 0) return Status::Failed("Unexpected end of file");
    buffer += got;
    offset += got;
    n -= got;
  }
  return Status::Success();
}

void NativeFileSystem::CloseFile(FileHandle file) {
  if (file != kNoFile) CloseHandle(Handle(file));
}

// A missing target may be created. An existing one must be a file without the read-only
// attribute that can be opened for writing: replacing it by a rename must not get round
// protection or a lock that a plain write would meet. The temporary file's name must fit.
Status NativeFileSystem::CheckReplaceable(const Target& target) {
  const std::string& path = target.path;
  if (Unprefixed(path) && path.size() < MAX_PATH && TempNameSize(TempPrefix(path, "\\/")) >= MAX_PATH)
    return Status::Failed("The name of the temporary file beside it would be too long for the system");
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND && !TooLong(path)) return Status::Success();
    return PathError(path, error);
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Status::Failed(ErrorText(ERROR_DIRECTORY));
  if (attributes & FILE_ATTRIBUTE_READONLY) return Status::Failed(ErrorText(ERROR_ACCESS_DENIED));
  HANDLE handle = OpenForWriteCheck(path);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  CloseHandle(handle);
  return Status::Success();
}

Status NativeFileSystem::WriteAll(FileHandle file, const char* data, std::size_t n) {
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
Status NativeFileSystem::CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to, const CopyStep& step) {
  return CopyThroughBuffer(from, offset, n, to, step);
}

Status NativeFileSystem::FlushFile(FileHandle file) {
  if (!FlushFileBuffers(Handle(file))) return LastError();
  return Status::Success();
}

// ReplaceFile's MoveFileExA with MOVEFILE_WRITE_THROUGH has returned only once the rename was on
// the disk; there is nothing more to confirm.
Status NativeFileSystem::SyncFolder(const Target&) { return Status::Success(); }

Status NativeFileSystem::RemoveFile(const std::string& path) {
  if (!DeleteFileA(path.c_str())) {
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return ErrorStatus(error);
  }
  return Status::Success();
}

}  // namespace platform
