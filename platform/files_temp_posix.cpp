// The temporary file of a replace on POSIX. On Linux it is made without a name (O_TMPFILE) and
// linked into the folder only once it is complete, just before the rename, so a crash while it is
// written leaves nothing behind. Where that is not possible it gets a name that says what it is
// and whose, with a check (files_temp_name.h); an exclusive flock() held while it is written tells
// other writes that it is in use, and a later write of the same target deletes such files once
// nobody holds them.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <string_view>

#include "platform/files_native.h"
#include "platform/files_posix_internal.h"
#include "platform/files_temp_name.h"

namespace platform {

using posix::LastError;

namespace {

constexpr std::string_view kSeparator = "/";

std::string FdLink(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// An unnamed file is linked through /proc, which must be there. Both kinds of file are created
// as a plain write creates a file, with the user's umask applied.
int CreateUnnamed(const std::string& path) {
  if (access("/proc/self/fd", X_OK) != 0) return -1;
  return open(posix::FolderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

int CreateNamed(const std::string& path, std::string& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = TempName(TempPrefix(path, kSeparator), kSeparator);
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// A failure to copy an attribute that only privileged writers may set (security., trusted.) is
// what a plain write by this user would meet too; the user's own and the ACLs must arrive.
bool MayDrop(std::string_view name, int error) {
  return (error == EPERM || error == EACCES || error == ENOTSUP) && name.substr(0, 5) != "user." &&
         name.substr(0, 7) != "system.";
}

// Every extended attribute of path (its ACLs among them, as system.posix_acl_access) onto fd.
Status CopyAttributes(const std::string& path, int fd) {
  ssize_t length = listxattr(path.c_str(), nullptr, 0);
  if (length < 0) return errno == ENOTSUP ? Status::Success() : LastError();
  std::string names(static_cast<std::size_t>(length), '\0');
  length = listxattr(path.c_str(), names.data(), names.size());
  if (length < 0) return LastError();
  names.resize(static_cast<std::size_t>(length));
  for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
    const std::string name = names.c_str() + at;
    ssize_t size = getxattr(path.c_str(), name.c_str(), nullptr, 0);
    std::string value(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
    if (size >= 0) size = getxattr(path.c_str(), name.c_str(), value.data(), value.size());
    if (size >= 0 && fsetxattr(fd, name.c_str(), value.data(), static_cast<std::size_t>(size), 0) == 0) continue;
    if (!MayDrop(name, errno)) return Status::Failed("Cannot keep the attribute " + name + ": " + std::strerror(errno));
  }
  return Status::Success();
}

// While it is written, the new file is as open to others as the target, without the set-ID bits.
// A new target keeps what the umask gave, and so does a target that is not a plain file: a link
// is never followed for them.
Status CopyPermissions(const std::string& path, int fd) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return Status::Success();
  if (fchmod(fd, info.st_mode & 0777) != 0) return LastError();
  return Status::Success();
}

// Once written, the new file gets what the target has, as if the target had been written in place:
// first its owner and group (as far as this user may give them; a change clears the set-user-ID
// and set-group-ID bits), then its mode with those bits (the system keeps them where this user may
// set them; a write would clear them again, hence after the writes), then its extended attributes
// and ACLs; and these reach the disk before the rename. A new target keeps what the umask gave.
Status CopyMetadata(const std::string& path, int fd) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return Status::Success();
  if (fchown(fd, info.st_uid, info.st_gid) != 0 && fchown(fd, static_cast<uid_t>(-1), info.st_gid) != 0) {
    // Only root may give a file away, and a group only to one of the user's groups.
  }
  if (fchmod(fd, info.st_mode & 07777) != 0) return LastError();
  Status status = CopyAttributes(path, fd);
  if (status.ok() && fsync(fd) != 0) status = LastError();
  return status;
}

}  // namespace

Status NativeFileSystem::CreateTempBeside(const std::string& path, TempFile& temp, bool unnamed) {
  temp = TempFile{};
  int fd = unnamed ? CreateUnnamed(path) : -1;
  std::string name;
  if (fd < 0) fd = CreateNamed(path, name);
  if (fd < 0) return posix::FolderRefuses(path, errno);
  temp = TempFile{fd, name};
  // Held until the file is closed. On a file system without locks the write goes on all the
  // same; the clean-up of others then leaves its file alone, since it cannot take the lock either.
  flock(fd, LOCK_EX | LOCK_NB);
  Status status = CopyPermissions(path, fd);
  if (!status.ok()) DiscardTemp(temp);
  return status;
}

// Deletes only what a write of this user left, of any file in the folder: a plain file with one
// name, owned by the user, whose name passes the check and whose lock can be taken (a write in
// progress holds it).
void NativeFileSystem::RemoveStaleTemps(const std::string& path) {
  const std::string folder = posix::FolderOf(path);
  DIR* entries = opendir(folder.c_str());
  if (entries == nullptr) return;
  while (const dirent* entry = readdir(entries)) {
    if (!IsTempName(entry->d_name)) continue;
    const std::string stale = folder + "/" + entry->d_name;
    int fd = open(stale.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 && info.st_uid == geteuid() &&
        flock(fd, LOCK_EX | LOCK_NB) == 0)
      unlink(stale.c_str());
    close(fd);
  }
  closedir(entries);
}

// The target's metadata goes to the new file; an unnamed file then gets a free name beside the
// target (linkat cannot replace a file), and the rename puts it in place of the target in one step.
Status NativeFileSystem::ReplaceFile(TempFile& temp, const std::string& path) {
  Status status = CopyMetadata(path, static_cast<int>(temp.file));
  if (!status.ok()) return status;
  for (int attempt = 0; temp.path.empty(); ++attempt) {
    std::string name = TempName(TempPrefix(path, kSeparator), kSeparator);
    if (linkat(AT_FDCWD, FdLink(static_cast<int>(temp.file)).c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
      temp.path = name;
    else if (errno != EEXIST || attempt == 100)
      return LastError();
  }
  if (rename(temp.path.c_str(), path.c_str()) != 0) return LastError();
  temp.path.clear();
  DiscardTemp(temp);
  return Status::Success();
}

void NativeFileSystem::DiscardTemp(TempFile& temp) {
  if (temp.file != kNoFile) close(static_cast<int>(temp.file));
  if (!temp.path.empty()) unlink(temp.path.c_str());
  temp = TempFile{};
}

}  // namespace platform
