// Which file a descriptor is open on, on POSIX: its device and inode.
#include <sys/stat.h>

#include "platform/files_native.h"

namespace platform {

bool NativeFileSystem::SameOpenFile(FileHandle a, FileHandle b) {
  struct stat first, second;
  return fstat(static_cast<int>(a), &first) == 0 && fstat(static_cast<int>(b), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace platform
