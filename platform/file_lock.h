#pragma once
// One stowr edit of a file at a time. An edit holds the file's lock from the read that plans it to
// the rename that ends it; another edit of the same file waits for it and then reads the new
// content. A file that another program holds (a POSIX advisory lock, on Windows a share mode
// that the write check meets) is reported as in use. file_lock_posix.cpp and file_lock_win32.cpp
// implement it.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/status.h"

namespace platform {

// Told, every few milliseconds while another stowr edit holds the file, how long the wait has lasted;
// answering false gives up (Status::Code::Cancelled).
using LockWait = std::function<bool(std::uint64_t waitedMs)>;

class FileLock {
 public:
  FileLock() = default;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  ~FileLock() { Release(); }

  // Locks the file that path names (through a symbolic link, as a write would change it), waiting
  // at most maxWaitMs for another stowr edit. A missing file gives Status::Code::Missing.
  Status Take(const std::string& path, std::uint64_t maxWaitMs, const LockWait& wait = {});
  void Release();

 private:
  std::intptr_t held_ = -1;  // a file descriptor, or the mutex HANDLE on Windows
};

}  // namespace platform
