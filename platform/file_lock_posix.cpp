// The lock of an edit on POSIX: an exclusive flock() on the file, taken through a descriptor that
// also holds the mark of a file stowr is changing (files_posix_internal.h): a read lock over every
// byte, which keeps any other program's write lock (fcntl, lockf) off every range while the edit
// runs, so that such a lock waits or fails rather than write into a file about to be replaced. The
// mark tells another stowr edit, which then waits, from another program holding the file with a
// lock of its own, at any offset, which is reported as in use. The rename of an edit puts a new
// file under the path, which carries the mark until it is closed; once locked, the path is checked
// to still name the locked file; if not, the new one is locked.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/file_lock.h"
#include "platform/files.h"
#include "platform/files_posix_internal.h"

namespace platform {

namespace {

constexpr int kMaxPollMs = 20;
// Another program's lock must be seen this long to be reported: a stowr edit takes its mark a
// moment before its flock(), and lets the flock() go a moment before the mark.
constexpr std::uint64_t kForeignMs = 100;

enum class Holder { None, Stowr, Other };

// The first lock of another owner that a write lock on any byte would meet, into found.
bool LockedByOthers(int fd, struct flock& found) {
  found = {};
  found.l_type = F_WRLCK;
  found.l_whence = SEEK_SET;
  if (fcntl(fd, F_OFD_GETLK, &found) != 0 && fcntl(fd, F_GETLK, &found) != 0) return false;
  return found.l_type != F_UNLCK;
}

// Takes the mark and the flock() on fd, or tells who holds the file.
Holder TryLock(int fd) {
  struct flock found;
  if (LockedByOthers(fd, found)) return posix::IsChangingMark(found) ? Holder::Stowr : Holder::Other;
  if (!posix::MarkAsChanging(fd)) return Holder::Other;
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) return Holder::None;
  if (errno != EWOULDBLOCK) return Holder::None;  // a file system without flock(): nothing to respect
  return LockedByOthers(fd, found) && posix::IsChangingMark(found) ? Holder::Stowr : Holder::Other;
}

bool StillNamed(int fd, const std::string& path) {
  struct stat held, named;
  return fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

std::uint64_t MsSince(std::chrono::steady_clock::time_point start) {
  return static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count());
}

}  // namespace

Status FileLock::Take(const std::string& link, std::uint64_t maxWaitMs, const LockWait& wait) {
  Release();
  const std::string path = ReplaceTarget(link);
  const auto start = std::chrono::steady_clock::now();
  std::int64_t foreignFrom = -1;  // since when another program has been seen holding it
  for (int pollMs = 1;; pollMs = std::min(2 * pollMs, kMaxPollMs)) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return posix::LastError();
    const Holder holder = TryLock(fd);
    if (holder == Holder::None && StillNamed(fd, path)) {
      held_ = fd;
      return Status::Success();
    }
    close(fd);
    if (holder == Holder::None) continue;  // the path names a newer file now: lock that one
    const std::uint64_t waited = MsSince(start);
    if (holder != Holder::Other) foreignFrom = -1;
    else if (foreignFrom < 0) foreignFrom = static_cast<std::int64_t>(waited);
    else if (waited - static_cast<std::uint64_t>(foreignFrom) >= kForeignMs)
      return Status::Failed("The file is in use by another program");
    if (waited >= maxWaitMs) return Status::Failed("Another stowr change of the file did not end in time");
    if (wait && !wait(waited)) return Status::Cancelled();
    std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
  }
}

// The flock() goes first, so that the file is never seen locked without its mark.
void FileLock::Release() {
  if (held_ < 0) return;
  flock(static_cast<int>(held_), LOCK_UN);
  close(static_cast<int>(held_));
  held_ = -1;
}

}  // namespace platform
