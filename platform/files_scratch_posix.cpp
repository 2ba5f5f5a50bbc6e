// The scratch file on POSIX: an unnamed file (O_TMPFILE) in the folder given, or, where the
// system or the file system has none, a named one that is deleted as soon as it is open. Either
// is open to its owner alone.
#include <fcntl.h>
#include <unistd.h>

#include "platform/files_native.h"
#include "platform/files_posix_internal.h"
#include "platform/files_temp_name.h"

namespace platform {

namespace {

// A name of the temporary kind (files_temp_name.h), so that the clean-up of a later write deletes
// the file should the program end in the moment between its creation and its deletion.
int CreateAndUnlink(const std::string& path) {
  const std::string prefix = TempPrefix(path, "/");
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = TempName(prefix, "/");
    int fd = open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) unlink(name.c_str());
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

Status NativeFileSystem::CreateScratchFile(const std::string& path, FileHandle& file) {
  file = kNoFile;
  int fd = open(posix::FolderOf(path).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (fd < 0) fd = CreateAndUnlink(path);
  if (fd < 0) return posix::FolderRefuses(path, errno);
  file = fd;
  return Status::Success();
}

}  // namespace platform
