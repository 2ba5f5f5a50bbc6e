#pragma once
// What the POSIX file primitives share: turning errno into a Status, splitting a path, the folder
// and owner checks of a replace, and the mark of a file that stowr is changing.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/status.h"

namespace platform::posix {

inline Status ErrnoStatus(int error) {
  if (error == ENOENT) return Status::Missing(std::strerror(error));
  return Status::Failed(std::strerror(error));
}

inline Status LastError() { return ErrnoStatus(errno); }

// The folder part of path ("." when it has none).
inline std::string FolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The failure to create a file beside path, where the folder is the cause (no permission to add
// a file, a read-only file system), names the folder.
inline Status FolderRefuses(const std::string& path, int error) {
  if (error != EACCES && error != EPERM && error != EROFS) return ErrnoStatus(error);
  return Status::Failed("The folder " + FolderOf(path) + " does not accept new files: " + std::strerror(error));
}

// True while the target's path still leads to the folder opened for it (files_posix.cpp).
bool FolderKept(const Target& target);
inline Status FolderChanged() { return Status::Failed(std::string(kFolderChanged)); }

// Refuses when a new file this user writes into folder could not get the owner and group of the
// file described by info (files_owner_posix.cpp).
Status OwnerKept(const struct stat& info, int folder);
// Gives fd, the new file, the owner and group of the file described by info as far as this user
// may. A change is refused unless mayChange; then `warning` says who owns the file now. `bits`
// are the set-ID bits that may stay: a set-user-ID bit only for the old owner, a set-group-ID bit
// only for the old group.
Status KeepOwner(const struct stat& info, int fd, bool mayChange, mode_t& bits, std::string& warning);

// The mark of a file that stowr is changing, on its old file (the edit's lock) and on the new one
// until it is closed: a read lock over every byte held by the open file description, so that it
// lasts as long as the descriptor and no other program can take a write lock (fcntl, lockf) on any
// range meanwhile. False when another program's lock is in the way; true where the system has no
// such locks.
inline bool MarkAsChanging(int fd) {
  struct flock mark = {};
  mark.l_type = F_RDLCK;
  mark.l_whence = SEEK_SET;
  return fcntl(fd, F_OFD_SETLK, &mark) == 0 || errno == EINVAL;
}

// True when lock, found in the way of a write lock, is such a mark.
inline bool IsChangingMark(const struct flock& lock) {
  return lock.l_type == F_RDLCK && lock.l_start == 0 && lock.l_len == 0 && lock.l_pid == -1;
}

}  // namespace platform::posix
