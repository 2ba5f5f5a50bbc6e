/* Preloaded into stowr-cli by the command-line tests: the first flush of a file (the new content,
   just written) first changes the mode of the file named by STOWR_TEST_CHMOD to 0444, as another
   user's chmod while the write runs would. */
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

int fsync(int fd) {
  static int done;
  struct stat info;
  const char* path = getenv("STOWR_TEST_CHMOD");
  if (!done && path && fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
    done = 1;
    chmod(path, 0444);
  }
  return (int)syscall(SYS_fsync, fd);
}
