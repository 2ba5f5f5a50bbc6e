// The lock of an edit on Windows: a named mutex per name in a folder (the folder's volume serial
// number and file index, and the file's name in it), so that it does not change with the rename
// that puts a new file under the name: a writer that waits gets it only once the replace has ended,
// and never meets the moment in which some systems leave the name without a file. A mutex left by
// a program that ended without letting it go is taken over. Another program that holds the file
// without sharing it is met by the write check (CheckReplaceable).
#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/file_lock.h"
#include "platform/files_win32_internal.h"

namespace platform {

using namespace win32;

namespace {

constexpr DWORD kPollMs = 20;

// The mutex's name for path: its folder's identity and a hash of its name in that folder, taken
// without regard to case as the file system takes it.
Status MutexName(const std::string& path, std::string& name) {
  HANDLE folder = CreateFileA(FolderOf(path).c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (folder == INVALID_HANDLE_VALUE) return PathError(path, GetLastError());
  const std::string identity = IdentityOf(folder);
  Status status = identity.empty() ? LastError() : Status::Success();
  CloseHandle(folder);
  std::uint64_t hash = 14695981039346656037u;
  for (char c : path.substr(path.find_last_of("\\/") + 1))
    hash = (hash ^ static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)))) * 1099511628211u;
  char text[40];
  std::snprintf(text, sizeof text, "-%016llx", static_cast<unsigned long long>(hash));
  name = "stowr-edit-" + identity + text;
  return status;
}

// Every session's stowr sees a Global mutex; where that is refused, the session's own.
HANDLE OpenMutex(const std::string& name) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, ("Global\\" + name).c_str());
  if (mutex == nullptr) mutex = CreateMutexA(nullptr, FALSE, ("Local\\" + name).c_str());
  return mutex;
}

}  // namespace

// Once the mutex is owned, nobody else's edit of the name is under way: a file missing then is
// missing indeed.
Status FileLock::Take(const std::string& path, std::uint64_t maxWaitMs, const LockWait& wait) {
  Release();
  const ULONGLONG start = GetTickCount64();
  std::string name;
  Status status = MutexName(path, name);
  if (!status.ok()) return status;
  HANDLE mutex = OpenMutex(name);
  if (mutex == nullptr) return LastError();
  DWORD waited = WaitForSingleObject(mutex, kPollMs);
  while (waited == WAIT_TIMEOUT) {
    const ULONGLONG elapsed = GetTickCount64() - start;
    status = elapsed >= maxWaitMs ? Status::Failed("Another stowr change of the file did not end in time")
             : wait && !wait(elapsed) ? Status::Cancelled()
                                      : Status::Success();
    if (!status.ok()) break;
    waited = WaitForSingleObject(mutex, kPollMs);
  }
  if (status.ok() && waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) status = LastError();
  if (status.ok() && GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
    status = PathError(path, GetLastError());
  if (status.ok()) {
    held_ = reinterpret_cast<std::intptr_t>(mutex);
    return status;
  }
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ReleaseMutex(mutex);
  CloseHandle(mutex);
  return status;
}

void FileLock::Release() {
  if (held_ == -1) return;
  HANDLE mutex = reinterpret_cast<HANDLE>(held_);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  held_ = -1;
}

}  // namespace platform
