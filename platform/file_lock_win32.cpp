// The lock of an edit on Windows: a named mutex per file identity (volume serial number and file
// index), so that it outlives the rename that puts a new file under the path. Once the mutex is
// owned, the path is checked to still name that file; if not, the new file's mutex is taken. A
// mutex left by a program that ended without letting it go is taken over. Another program that
// holds the file without sharing it is met by the write check (CheckReplaceable).
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/file_lock.h"
#include "platform/files_win32_internal.h"

namespace platform {

using namespace win32;

namespace {

constexpr DWORD kPollMs = 20;

// The mutex's name for the file path names now, or an error when it cannot be opened.
Status IdentityName(const std::string& path, std::string& name) {
  HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return PathError(path, GetLastError());
  BY_HANDLE_FILE_INFORMATION info;
  Status status = GetFileInformationByHandle(file, &info) ? Status::Success() : LastError();
  CloseHandle(file);
  char text[64];
  std::snprintf(text, sizeof text, "stowr-edit-%08lx-%08lx%08lx", static_cast<unsigned long>(info.dwVolumeSerialNumber),
                static_cast<unsigned long>(info.nFileIndexHigh), static_cast<unsigned long>(info.nFileIndexLow));
  name = text;
  return status;
}

// Every session's stowr sees a Global mutex; where that is refused, the session's own.
HANDLE OpenMutex(const std::string& name) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, ("Global\\" + name).c_str());
  if (mutex == nullptr) mutex = CreateMutexA(nullptr, FALSE, ("Local\\" + name).c_str());
  return mutex;
}

}  // namespace

Status FileLock::Take(const std::string& path, std::uint64_t maxWaitMs, const LockWait& wait) {
  Release();
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    std::string name;
    Status status = IdentityName(path, name);
    if (!status.ok()) return status;
    HANDLE mutex = OpenMutex(name);
    if (mutex == nullptr) return LastError();
    DWORD waited = WaitForSingleObject(mutex, kPollMs);
    while (waited == WAIT_TIMEOUT) {
      const ULONGLONG elapsed = GetTickCount64() - start;
      Status stop = elapsed >= maxWaitMs ? Status::Failed("Another stowr change of the file did not end in time")
                    : wait && !wait(elapsed) ? Status::Cancelled()
                                             : Status::Success();
      if (!stop.ok()) {
        CloseHandle(mutex);
        return stop;
      }
      waited = WaitForSingleObject(mutex, kPollMs);
    }
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
      status = LastError();
      CloseHandle(mutex);
      return status;
    }
    std::string now;
    if (IdentityName(path, now).ok() && now == name) {
      held_ = reinterpret_cast<std::intptr_t>(mutex);
      return Status::Success();
    }
    ReleaseMutex(mutex);  // the path names a newer file now: lock that one
    CloseHandle(mutex);
  }
}

void FileLock::Release() {
  if (held_ == -1) return;
  HANDLE mutex = reinterpret_cast<HANDLE>(held_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  held_ = -1;
}

}  // namespace platform
