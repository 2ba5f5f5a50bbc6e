// The temporary file of a replace on POSIX, made in the target's open folder and reached through
// it only. On Linux it is made without a name (O_TMPFILE) and linked into the folder only once it
// is complete, just before the rename, so a crash while it is written leaves nothing behind. Where
// that is not possible it gets a name that says what it is and whose, with a check
// (files_temp_name.h). Either way it has no access for other users until it gets the target's
// mode at the end, and it carries the mark of a file stowr is changing and an exclusive flock()
// until it is closed, which tell other writes that it is in use; a later write of the same target
// deletes named ones that a crash left once it can prove that nobody holds them.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <string_view>

#include "platform/files_native.h"
#include "platform/files_posix_internal.h"
#include "platform/files_temp_name.h"

namespace platform {

using posix::LastError;

namespace {

constexpr std::string_view kSeparator = "/";
constexpr mode_t kPrivate = 0600;

int Fd(FileHandle file) { return static_cast<int>(file); }

std::string FdLink(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// An unnamed file is linked through /proc, which must be there.
int CreateUnnamed(int folder) {
  if (access("/proc/self/fd", X_OK) != 0) return -1;
  return openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, kPrivate);
}

int CreateNamed(const Target& target, std::string& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = TempName(TempPrefix(target.name, kSeparator), kSeparator);
    int fd = openat(Fd(target.folder), name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivate);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The mode a plain write gives a new file: 0666 less the user's umask, which /proc tells without
// changing it for the other threads.
mode_t NewFileMode() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("Umask:", 0) == 0) return 0666 & ~static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
  const mode_t mask = umask(022);
  umask(mask);
  return 0666 & ~mask;
}

// A failure to copy an attribute that only privileged writers may set (security., trusted.) is
// what a plain write by this user would meet too; the user's own and the ACLs must arrive.
bool MayDrop(std::string_view name, int error) {
  return (error == EPERM || error == EACCES || error == ENOTSUP) && name.substr(0, 5) != "user." &&
         name.substr(0, 7) != "system.";
}

// Every extended attribute of the file at path (its ACLs among them, as system.posix_acl_access)
// onto fd.
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

// Once written, the new file gets what the target has, as if the target had been written in place:
// first its owner and group (a change is refused unless the target allows it, and then said in
// `warning`), then its mode with the set-ID bits that the kept owner and group allow (the system
// keeps them where this user may set them; a write would clear them again, hence after the writes),
// then its extended attributes and ACLs; and these reach the disk before the rename. The target is
// the name in the open folder, never a link it may have become; a new one gets the mode a plain
// write would give it.
Status CopyMetadata(const Target& target, int fd, std::string& warning) {
  struct stat info;
  int old = openat(Fd(target.folder), target.name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (old < 0 || fstat(old, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (old >= 0) close(old);
    return fchmod(fd, NewFileMode()) == 0 ? Status::Success() : LastError();
  }
  mode_t bits = 0;
  Status status = posix::KeepOwner(info, fd, target.ownerMayChange, bits, warning);
  if (status.ok() && fchmod(fd, info.st_mode & bits) != 0) status = LastError();
  if (status.ok()) status = CopyAttributes(access(FdLink(old).c_str(), F_OK) == 0 ? FdLink(old) : target.path, fd);
  if (status.ok() && fsync(fd) != 0) status = LastError();
  close(old);
  return status;
}

// A temporary file of a crash, provably: a plain file with one name, this user's, that nobody else
// has open, not even a write in progress (a write lease is granted only then; where the system
// grants none, nothing is proved) and that the name still leads to.
bool ProvedStale(int fd, int folder, const char* name) {
  struct stat info, named;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 || info.st_uid != geteuid()) return false;
#ifdef F_SETLEASE
  if (fcntl(fd, F_SETLEASE, F_WRLCK) != 0) return false;
#else
  return false;
#endif
  return fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == info.st_dev &&
         named.st_ino == info.st_ino;
}

// The new file and the target trade names in one step, so that when the path no longer leads to
// the folder afterwards they can trade back and the folder is as it was; then the old file, now
// under the temporary name, is deleted. A new target's name is taken only while it is free. Where
// the file system cannot trade names, a plain rename replaces the target.
Status PutInPlace(TempFile& temp, const Target& target) {
  const int folder = Fd(target.folder);
  const char* from = temp.path.c_str();
  const char* to = target.name.c_str();
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (renameat2(folder, from, folder, to, RENAME_EXCHANGE) == 0) {
      if (posix::FolderKept(target)) {
        unlinkat(folder, from, 0);
        return Status::Success();
      }
      if (renameat2(folder, from, folder, to, RENAME_EXCHANGE) != 0) temp.path.clear();  // keep the old file
      return posix::FolderChanged();
    }
    if (errno != ENOENT) break;
    if (renameat2(folder, from, folder, to, RENAME_NOREPLACE) == 0) {
      if (posix::FolderKept(target)) return Status::Success();
      renameat2(folder, to, folder, from, RENAME_NOREPLACE);
      return posix::FolderChanged();
    }
    if (errno != EEXIST) break;
  }
  if (errno != EINVAL && errno != ENOSYS) return LastError();
  if (renameat(folder, from, folder, to) != 0) return LastError();
  return Status::Success();
}

// An unnamed file gets a free name beside the target (linkat cannot replace a file).
Status GiveName(TempFile& temp, const Target& target) {
  for (int attempt = 0; temp.path.empty(); ++attempt) {
    std::string name = TempName(TempPrefix(target.name, kSeparator), kSeparator);
    if (linkat(AT_FDCWD, FdLink(Fd(temp.file)).c_str(), Fd(target.folder), name.c_str(), AT_SYMLINK_FOLLOW) == 0)
      temp.path = name;
    else if (errno != EEXIST || attempt == 100)
      return LastError();
  }
  return Status::Success();
}

}  // namespace

Status NativeFileSystem::CreateTempBeside(const Target& target, TempFile& temp, bool unnamed) {
  temp = TempFile{};
  int fd = unnamed ? CreateUnnamed(Fd(target.folder)) : -1;
  std::string name;
  if (fd < 0) fd = CreateNamed(target, name);
  if (fd < 0) return posix::FolderRefuses(target.path, errno);
  temp = TempFile{fd, target.folder, name};
  // Held until the file is closed. On a file system without locks the write goes on all the
  // same; the clean-up of others then leaves its file alone, since it cannot take them either.
  posix::MarkAsChanging(fd);
  flock(fd, LOCK_EX | LOCK_NB);
  return Status::Success();
}

// Deletes only what a write of this user left and nobody holds (ProvedStale), of any file in the
// open folder, by the name that passes the check.
void NativeFileSystem::RemoveStaleTemps(const Target& target) {
  const int folder = Fd(target.folder);
  int listing = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* entries = listing < 0 ? nullptr : fdopendir(listing);
  if (entries == nullptr) {
    if (listing >= 0) close(listing);
    return;
  }
  while (const dirent* entry = readdir(entries)) {
    if (!IsTempName(entry->d_name)) continue;
    int fd = openat(folder, entry->d_name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    if (ProvedStale(fd, folder, entry->d_name)) unlinkat(folder, entry->d_name, 0);
    close(fd);
  }
  closedir(entries);
}

// The target's metadata goes to the new file, which then gets a name beside the target and is put in
// its place in one step. The path is checked to still lead to the folder once the new file is named
// there and again once it is in place (PutInPlace); a change fails the write, the folder as it was.
Status NativeFileSystem::ReplaceFile(TempFile& temp, const Target& target) {
  std::string warning;
  Status status = CopyMetadata(target, Fd(temp.file), warning);
  if (status.ok()) status = GiveName(temp, target);
  if (status.ok() && !posix::FolderKept(target)) status = posix::FolderChanged();
  if (status.ok()) status = PutInPlace(temp, target);
  if (!status.ok()) return status;
  temp.path.clear();
  DiscardTemp(temp);
  status.warning = warning;
  return status;
}

// The flock() goes before the mark, so that the file is never seen locked without it.
void NativeFileSystem::DiscardTemp(TempFile& temp) {
  if (!temp.path.empty()) unlinkat(Fd(temp.folder), temp.path.c_str(), 0);
  if (temp.file != kNoFile) {
    flock(Fd(temp.file), LOCK_UN);
    close(Fd(temp.file));
  }
  temp = TempFile{};
}

}  // namespace platform
