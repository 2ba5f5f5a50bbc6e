// File primitives on POSIX: open/pread for reading, fsync for flushing, copy_file_range for
// copying between files. The temporary file of a replace is in files_temp_posix.cpp.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/files_native.h"
#include "platform/files_posix_internal.h"
#include "platform/files_temp_name.h"

namespace platform {

using posix::LastError;

namespace {

int Fd(FileHandle file) { return static_cast<int>(file); }

// A folder or device exists but is not a file that can be read or replaced as a whole.
Status NotAPlainFile(mode_t mode) {
  return Status::Failed(S_ISDIR(mode) ? std::strerror(EISDIR) : "Not a regular file (a pipe or a device)");
}

// The errors by which copy_file_range refuses a pair of files it cannot copy between: other file
// systems, a pipe or terminal (EINVAL), a target opened for appending, as by a shell's >> (EBADF).
bool KernelCopyRefused(int error) {
  return error == EXDEV || error == EINVAL || error == ENOSYS || error == EOPNOTSUPP || error == EBADF;
}

FileStamp StampFrom(const struct stat& info) {
  FileStamp stamp;
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  stamp.changed = static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
  stamp.volume = static_cast<std::uint64_t>(info.st_dev);
  stamp.index = static_cast<std::uint64_t>(info.st_ino);
  return stamp;
}

int FolderFd(const Target& target) { return static_cast<int>(target.folder); }

// The target's folder must let this user add a file, and the temporary file's name must fit in a
// path the system takes.
Status CheckFolder(const Target& target) {
  if (TempNameSize(TempPrefix(target.path, "/")) >= PATH_MAX)
    return Status::Failed("The name of the temporary file beside it would be too long for the system");
  if (faccessat(FolderFd(target), ".", W_OK | X_OK, 0) != 0) return posix::FolderRefuses(target.path, errno);
  return Status::Success();
}

}  // namespace

std::string NativeFileSystem::ReplaceTarget(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char* resolved = realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return path;
  std::string target = resolved;
  std::free(resolved);
  return target;
}

bool NativeFileSystem::PathExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// Opens without blocking, since opening a pipe waits for a writer, and refuses anything but a
// plain file: a folder or device is an error rather than an empty file.
Status NativeFileSystem::OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size) {
  file = kNoFile;
  int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return LastError();
  struct stat info;
  Status status;
  if (fstat(fd, &info) != 0) status = LastError();
  else if (!S_ISREG(info.st_mode)) status = NotAPlainFile(info.st_mode);
  else if (fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) status = LastError();
  if (!status.ok()) {
    close(fd);
    return status;
  }
  file = fd;
  size = static_cast<std::uint64_t>(info.st_size);
  return Status::Success();
}

Status NativeFileSystem::StampOf(FileHandle file, FileStamp& stamp) {
  struct stat info;
  if (fstat(Fd(file), &info) != 0) return LastError();
  stamp = StampFrom(info);
  return Status::Success();
}

// The name in the open folder, without following it: a link is reported as a link, never as the
// file it names.
Status NativeFileSystem::InspectName(const Target& target, NameKind& kind, FileStamp& stamp) {
  struct stat info;
  stamp = FileStamp{};
  kind = NameKind::Missing;
  if (fstatat(FolderFd(target), target.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT ? Status::Success() : LastError();
  kind = S_ISLNK(info.st_mode) ? NameKind::Link : S_ISREG(info.st_mode) ? NameKind::File : NameKind::Other;
  stamp = StampFrom(info);
  return Status::Success();
}

// The folder is opened as the path names it now; a path that ends in a separator names no file.
Status NativeFileSystem::OpenTarget(const std::string& path, Target& target) {
  CloseTarget(target);
  const std::size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.empty()) return posix::ErrnoStatus(EISDIR);
  int folder = open(posix::FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return LastError();
  target.folder = folder;
  target.path = path;
  target.name = name;
  return Status::Success();
}

void NativeFileSystem::CloseTarget(Target& target) {
  if (target.folder != kNoFile) close(FolderFd(target));
  target.folder = kNoFile;
}

// Reads with pread until n bytes have arrived; end of file before that is an error. The reader's
// core reads the same way (tp_file_read in reader/tailpack.h), which cannot use this layer: its
// texts differ, and this one tells a missing file apart (Status::Code::Missing).
Status NativeFileSystem::ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t n) {
  while (n > 0) {
    ssize_t got = pread(Fd(file), buffer, n, static_cast<off_t>(offset));
    if (got < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    if (got == 0) return Status::Failed("Unexpected end of file");
    buffer += got;
    offset += static_cast<std::uint64_t>(got);
    n -= static_cast<std::size_t>(got);
  }
  return Status::Success();
}

void NativeFileSystem::CloseFile(FileHandle file) {
  if (file != kNoFile) close(Fd(file));
}

// A missing target may be created. An existing one must be a plain file that this user may
// write; root passes access() for every file, so a file with no write bit for anyone is refused
// too: replacing it by rename would get round the protection a plain write would meet. The folder
// must take the new file, under a name that fits, and the new file must be able to keep the old
// one's owner (unless the target allows a change). A file with several names (hard links) is
// replaced under this one only: the others keep the old content, which a warning says.
Status NativeFileSystem::CheckReplaceable(const Target& target) {
  struct stat info;
  Status status = CheckFolder(target);
  if (fstatat(FolderFd(target), target.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT) return status;
    return LastError();
  }
  if (!S_ISREG(info.st_mode)) return NotAPlainFile(info.st_mode);
  if (faccessat(FolderFd(target), target.name.c_str(), W_OK, 0) != 0) return LastError();
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return Status::Failed(std::strerror(EACCES));
  if (status.ok() && !target.ownerMayChange) status = posix::OwnerKept(info, FolderFd(target));
  if (status.ok() && info.st_nlink > 1)
    status.warning = "The file has " + std::to_string(info.st_nlink - 1) +
                     " other name(s) (hard links), which keep the old content";
  return status;
}

Status NativeFileSystem::WriteAll(FileHandle file, const char* data, std::size_t n) {
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

// Lets the kernel copy (copy_file_range) in blocks of 8 MiB; falls back to a read/write loop
// through a buffer where the file systems or the target (a pipe, a terminal) do not allow it.
Status NativeFileSystem::CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to, const CopyStep& step) {
  constexpr std::uint64_t kBlock = std::uint64_t{8} << 20;
  std::uint64_t copied = 0;
  while (copied < n) {
    off_t inOffset = static_cast<off_t>(offset + copied);
    std::size_t block = static_cast<std::size_t>(n - copied < kBlock ? n - copied : kBlock);
    ssize_t got = copy_file_range(Fd(from), &inOffset, Fd(to), nullptr, block, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && KernelCopyRefused(errno)) break;
    if (got < 0) return LastError();
    if (got == 0) return Status::Failed("Unexpected end of file");
    copied += static_cast<std::uint64_t>(got);
    if (step && !step(copied)) return Status::Cancelled();
  }
  if (copied == n) return Status::Success();
  return CopyThroughBuffer(from, offset + copied, n - copied, to,
                           [&](std::uint64_t more) { return !step || step(copied + more); });
}

Status NativeFileSystem::FlushFile(FileHandle file) {
  if (fsync(Fd(file)) != 0) return LastError();
  return Status::Success();
}

// The rename is in the folder's entries; syncing the folder makes it survive a crash.
Status NativeFileSystem::SyncFolder(const Target& target) {
  if (fsync(FolderFd(target)) != 0) return LastError();
  return Status::Success();
}

namespace posix {

// The path's folder, looked up again, must be the folder opened.
bool FolderKept(const Target& target) {
  struct stat opened, named;
  return fstat(FolderFd(target), &opened) == 0 && stat(FolderOf(target.path).c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

}  // namespace posix

Status NativeFileSystem::RemoveFile(const std::string& path) {
  if (unlink(path.c_str()) != 0 && errno != ENOENT) return LastError();
  return Status::Success();
}

}  // namespace platform
