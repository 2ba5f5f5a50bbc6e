// The atomic whole-file write: the new content goes to a temporary file beside the target, is
// flushed to the disk and then renamed over the target in one step.
#include "store/wholefile.h"

#include <functional>

#include "platform/files.h"

bool FileExists(const std::string& path) { return platform::PathExists(path); }

// A folder is known by its path as given, up to the last separator of either kind: two spellings
// of one folder cost a second look, never a missed one.
void TempSweep::Sweep(const platform::Target& target) {
  const std::size_t separator = target.path.find_last_of("/\\");
  if (folders_.insert(separator == std::string::npos ? "" : target.path.substr(0, separator)).second)
    platform::RemoveStaleTemps(target);
}

namespace {

// A successful write also passes on what an earlier step warned about.
Status WithWarning(Status status, const std::string& warning) {
  if (status.ok() && !warning.empty()) status.warning = status.warning.empty() ? warning : warning + ". " + status.warning;
  return status;
}

// The temporary file of one write; whatever way the write ends, it does not stay behind.
struct TempGuard {
  platform::TempFile temp;
  ~TempGuard() { platform::DiscardTemp(temp); }
};

// The target of one write, its folder open from the first check to the last step.
struct TargetGuard {
  platform::Target target;
  ~TargetGuard() { platform::CloseTarget(target); }
};

Status OpenTarget(const std::string& path, Owner owner, TargetGuard& guard) {
  Status status = platform::OpenTarget(path, guard.target);
  guard.target.ownerMayChange = owner == Owner::MayChange;
  return status;
}

// Writes a temporary file beside the target with fill, flushes it, lets beforeReplace refuse, and
// puts it in place of the target in one step. Before the rename any failure leaves the target as
// it was and no temporary file. After it the change is made: a folder sync that fails is a success
// with a warning, never a failure that a user might answer by doing it again.
Status ReplaceWith(const platform::Target& target, const std::function<Status(platform::FileHandle)>& fill,
                   const std::function<Status()>& beforeReplace = {}, TempSweep* sweep = nullptr) {
  if (sweep) sweep->Sweep(target);
  else platform::RemoveStaleTemps(target);
  TempGuard guard;
  Status status = platform::CreateTempBeside(target, guard.temp);
  if (status.ok()) status = fill(guard.temp.file);
  if (status.ok()) status = platform::FlushFile(guard.temp.file);
  if (status.ok() && beforeReplace) status = beforeReplace();
  if (status.ok()) status = platform::ReplaceFile(guard.temp, target);
  if (!status.ok()) return status;
  Status synced = platform::SyncFolder(target);
  if (!synced.ok()) status = WithWarning(status, std::string(kUnconfirmedWrite) + ": " + synced.message);
  return status;
}

// A write of path (a link followed to its file) that a plain write could change: not read-only,
// not a folder, not locked, its owner kept unless allowed otherwise. Refused before anything is
// written.
Status ReplaceChecked(const std::string& link, Owner owner, const std::function<Status(platform::FileHandle)>& fill,
                      const std::function<Status()>& beforeReplace = {}) {
  TargetGuard guard;
  Status status = OpenTarget(platform::ReplaceTarget(link), owner, guard);
  if (status.ok()) status = platform::CheckReplaceable(guard.target);
  if (!status.ok()) return status;
  return WithWarning(ReplaceWith(guard.target, fill, beforeReplace), status.warning);
}

}  // namespace

Status WriteWholeFile(std::string_view content, const std::string& link) {
  return ReplaceChecked(link, Owner::Keep, [content](platform::FileHandle temp) {
    return platform::WriteAll(temp, content.data(), content.size());
  });
}

// As above, copying the pieces from their sources. The sources are checked before the copy and
// again after it, so that a file changed meanwhile (a build writing the executable, the picked
// file growing) never gets mixed into the result. CopyContent lets the sources go before the
// replace, which Windows refuses while the target is open.
Status WriteWholeFile(const Content& content, const std::string& link, const Progress& progress, Owner owner) {
  return ReplaceChecked(
      link, owner, [&](platform::FileHandle temp) { return CopyContent(content, temp, progress); },
      [&] { return CheckSourcesUnchanged(content); });
}

namespace {

// A link is refused rather than followed or replaced; so is the source file under another name.
Status CheckOutputName(const platform::Target& target, const platform::FileStamp& source) {
  platform::NameKind kind = platform::NameKind::Missing;
  platform::FileStamp found;
  Status status = platform::InspectName(target, kind, found);
  if (!status.ok()) return status;
  if (kind == platform::NameKind::Link) return Status::Refused("It is a symbolic link, which is never written through");
  if (kind == platform::NameKind::File && found.SameFile(source)) return Status::Refused(std::string(kTheFileBeingRead));
  return platform::CheckReplaceable(target);
}

}  // namespace

// The name is checked in the output's folder, opened once, before the temporary file is made and
// again just before the rename.
Status WriteOutputFile(const std::string& path, const platform::FileStamp& source,
                       const std::function<Status(platform::FileHandle)>& fill,
                       const std::function<Status()>& beforeReplace, Owner owner, TempSweep* sweep) {
  TargetGuard guard;
  Status status = OpenTarget(path, owner, guard);
  if (status.ok()) status = CheckOutputName(guard.target, source);
  if (!status.ok()) return status;
  return ReplaceWith(
      guard.target, fill,
      [&] {
        Status ready = beforeReplace ? beforeReplace() : Status::Success();
        return ready.ok() ? CheckOutputName(guard.target, source) : ready;
      },
      sweep);
}
