#include "app/write_check.h"

#include <cstdint>
#include <limits>

#include "app/report.h"
#include "app/state.h"
#include "platform/file_lock.h"
#include "platform/files.h"

namespace {

// How long the lock is looked at: long enough to tell another program's hold, which taking it
// reports as in use, from another stowr change's, which it waits for.
constexpr std::uint64_t kLockLookMs = 300;

Status CheckNotHeld(const std::string& exe) {
  platform::FileLock lock;
  Status status = lock.Take(exe, std::numeric_limits<std::uint64_t>::max(),
                            [](std::uint64_t waitedMs) { return waitedMs < kLockLookMs; });
  return status.code == Status::Code::Cancelled ? Status::Success() : status;
}

// The write's own first step, undone at once.
Status CheckFolderTakesFile(const std::string& target) {
  platform::TempFile temp;
  Status status = platform::CreateTempBeside(target, temp);
  platform::DiscardTemp(temp);
  return status;
}

}  // namespace

Status CheckWritable(const std::string& exe) {
  if (!platform::PathExists(exe)) return Status::Success();
  const std::string target = platform::ReplaceTarget(exe);
  Status status = platform::CheckReplaceable(target);
  if (status.ok()) status = CheckNotHeld(exe);
  if (status.ok()) status = CheckFolderTakesFile(target);
  if (status.code == Status::Code::Missing) return Status::Success();  // gone meanwhile
  status.warning.clear();  // the write tells what it warns about
  return status;
}

bool ExeCanChange(ui::Window window) {
  const std::string exe = ExePath();
  Status status = CheckWritable(exe);
  if (status.ok()) return true;
  ReportFileFailure(window, "Could not write file:", exe, status);
  return false;
}
