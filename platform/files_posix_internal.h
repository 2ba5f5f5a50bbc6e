#pragma once
// What the POSIX file primitives share: turning errno into a Status and splitting a path.
#include <cerrno>
#include <cstring>
#include <string>

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

}  // namespace platform::posix
