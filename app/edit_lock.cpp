#include "app/edit_lock.h"

#include "store/wholefile.h"

Status LockForEdit(const std::string& path, platform::FileLock& lock, const Progress& progress) {
  constexpr std::uint64_t kMaxWaitMs = 60000;
  return lock.Take(path, kMaxWaitMs, [&](std::uint64_t) { return !progress || progress(0, 0); });
}

// A missing executable is reported by the read that follows the lock.
EditFailure EditWithFile(const std::string& exe, const std::string& file, const Progress& progress,
                         const std::function<EditResult(const SourceFile&)>& edit, Owner owner) {
  platform::FileLock lock;
  Status locked = LockForEdit(exe, lock, progress);
  if (!locked.ok() && locked.code != Status::Code::Missing) return {"Could not write file:", exe, locked};
  SourceFile data;
  Status read = StampSource(file, data);
  if (!read.ok()) return {"Could not read file:", file, read};
  EditResult result = edit(data);
  if (!result.status.ok()) return {"Could not read file:", exe, result.status};
  if (!result.changed) return {};
  return {"Could not write file:", exe, WriteWholeFile(result.content, exe, progress, owner)};
}
