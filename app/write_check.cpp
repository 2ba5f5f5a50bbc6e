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
Status CheckFolderTakesFile(const platform::Target& target) {
  platform::TempFile temp;
  Status status = platform::CreateTempBeside(target, temp);
  platform::DiscardTemp(temp);
  return status;
}

// The checks of a write of target in the folder opened for it. An owner the new file could not
// keep is asked about later (OwnerChangeMayGoOn), so it is no refusal here.
Status CheckTarget(const std::string& exe, const std::string& target) {
  platform::Target opened;
  Status status = platform::OpenTarget(target, opened);
  opened.ownerMayChange = true;
  if (status.ok()) status = platform::CheckReplaceable(opened);
  if (status.ok()) status = CheckNotHeld(exe);
  if (status.ok()) status = CheckFolderTakesFile(opened);
  platform::CloseTarget(opened);
  return status;
}

}  // namespace

Status CheckWritable(const std::string& exe) {
  if (!platform::PathExists(exe)) return Status::Success();
  Status status = CheckTarget(exe, platform::ReplaceTarget(exe));
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
