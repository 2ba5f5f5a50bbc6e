// File primitives on POSIX: open/pread for reading, a temporary file in the target's folder,
// fsync and rename for replacing, copy_file_range for copying between files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/files.h"

namespace platform {

namespace {

Status ErrnoStatus(int error) {
  if (error == ENOENT) return Status::NotFound(std::strerror(error));
  return Status::Error(std::strerror(error));
}

Status LastError() { return ErrnoStatus(errno); }

int Fd(FileHandle file) { return static_cast<int>(file); }

// The folder part of path ("." when it has none), for the temporary file and the folder sync.
std::string FolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

std::string ReplaceTarget(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string target = resolved;
  std::free(resolved);
  return target;
}

bool PathExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// Opens a plain file for reading. A folder or device exists but is not a file that can be read
// whole, so it is an error rather than an empty file.
Status OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size) {
  file = kNoFile;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return LastError();
  struct stat info;
  if (fstat(fd, &info) != 0) {
    Status status = LastError();
    close(fd);
    return status;
  }
  if (!S_ISREG(info.st_mode)) {
    close(fd);
    return Status::Error(std::strerror(S_ISDIR(info.st_mode) ? EISDIR : EINVAL));
  }
  file = fd;
  size = static_cast<std::uint64_t>(info.st_size);
  return Status::Success();
}

// Reads with pread until n bytes have arrived; end of file before that is an error.
Status ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t n) {
  while (n > 0) {
    ssize_t got = pread(Fd(file), buffer, n, static_cast<off_t>(offset));
    if (got < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    if (got == 0) return Status::Error("Unexpected end of file");
    buffer += got;
    offset += static_cast<std::uint64_t>(got);
    n -= static_cast<std::size_t>(got);
  }
  return Status::Success();
}

void CloseFile(FileHandle file) {
  if (file != kNoFile) close(Fd(file));
}

// A missing target may be created. An existing one must be a plain file that this user may
// write; root passes access() for every file, so a file with no write bit for anyone is refused
// too: replacing it by rename would get round the protection a plain write would meet.
Status CheckReplaceable(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return Status::Success();
    return LastError();
  }
  if (!S_ISREG(info.st_mode)) return Status::Error(std::strerror(S_ISDIR(info.st_mode) ? EISDIR : EINVAL));
  if (access(path.c_str(), W_OK) != 0) return LastError();
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return Status::Error(std::strerror(EACCES));
  return Status::Success();
}

// mkstemp in the target's folder; the new file takes the target's permission bits and, where
// allowed, its owner, so that an executable stays executable after the rename.
Status CreateTempBeside(const std::string& path, FileHandle& file, std::string& tempPath) {
  file = kNoFile;
  std::string pattern = FolderOf(path) + "/.stowr-XXXXXX";
  int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0) return LastError();
  struct stat info;
  if (stat(path.c_str(), &info) == 0) {
    if (fchmod(fd, info.st_mode & 07777) != 0) {
      Status status = LastError();
      close(fd);
      unlink(pattern.c_str());
      return status;
    }
    if (fchown(fd, info.st_uid, info.st_gid) != 0) {
      // Only root may give a file away; otherwise the file stays ours, as a plain write would.
    }
  }
  file = fd;
  tempPath = pattern;
  return Status::Success();
}

Status WriteAll(FileHandle file, const char* data, std::size_t n) {
  while (n > 0) {
    ssize_t put = write(Fd(file), data, n);
    if (put < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    data += put;
    n -= static_cast<std::size_t>(put);
  }
  return Status::Success();
}

// Lets the kernel copy (copy_file_range); falls back to a read/write loop through a large
// buffer where the file systems do not support it.
Status CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to) {
  while (n > 0) {
    off_t inOffset = static_cast<off_t>(offset);
    std::size_t step = n > (std::uint64_t{1} << 30) ? std::size_t{1} << 30 : static_cast<std::size_t>(n);
    ssize_t copied = copy_file_range(Fd(from), &inOffset, Fd(to), nullptr, step, 0);
    if (copied < 0 && errno == EINTR) continue;
    if (copied < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) break;
    if (copied < 0) return LastError();
    if (copied == 0) return Status::Error("Unexpected end of file");
    offset += static_cast<std::uint64_t>(copied);
    n -= static_cast<std::uint64_t>(copied);
  }
  return n == 0 ? Status::Success() : CopyThroughBuffer(from, offset, n, to);
}

Status FlushFile(FileHandle file) {
  if (fsync(Fd(file)) != 0) return LastError();
  return Status::Success();
}

// rename() replaces the target in one step; syncing the folder afterwards makes the new name
// survive a crash.
Status ReplaceFile(const std::string& tempPath, const std::string& path) {
  if (rename(tempPath.c_str(), path.c_str()) != 0) return LastError();
  int folder = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return LastError();
  Status status = fsync(folder) == 0 ? Status::Success() : LastError();
  close(folder);
  return status;
}

Status RemoveFile(const std::string& path) {
  if (unlink(path.c_str()) != 0 && errno != ENOENT) return LastError();
  return Status::Success();
}

}  // namespace platform
