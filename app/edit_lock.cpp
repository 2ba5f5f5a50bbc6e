#include "app/edit_lock.h"

Status LockForEdit(const std::string& path, platform::FileLock& lock, const Progress& progress) {
  constexpr std::uint64_t kMaxWaitMs = 60000;
  return lock.Take(path, kMaxWaitMs, [&](std::uint64_t) { return !progress || progress(0, 0); });
}
