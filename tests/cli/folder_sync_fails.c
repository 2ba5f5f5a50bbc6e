/* Preloaded into stowr-cli by the command-line tests: fsync of a folder fails with EIO, as on a
   disk that does not confirm a rename; fsync of a file works as usual. */
#include <errno.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

int fsync(int fd) {
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    errno = EIO;
    return -1;
  }
  return (int)syscall(SYS_fsync, fd);
}
