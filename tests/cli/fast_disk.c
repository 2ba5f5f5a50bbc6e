/* Preloaded into stowr-cli by the parallel-writer test: fsync returns at once, as on a disk with a
   write cache that confirms everything, so that hundreds of writes take seconds; it still yields
   the processor, which gives another writer the chance to run between a write's steps. */
#include <sched.h>

int fsync(int fd) {
  (void)fd;
  sched_yield();
  return 0;
}

int fdatasync(int fd) { return fsync(fd); }
