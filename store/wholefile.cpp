// The atomic whole-file write: the new content goes to a temporary file beside the target, is
// flushed to the disk and then renamed over the target in one step.
#include "store/wholefile.h"

#include <functional>

#include "platform/files.h"

bool FileExists(const std::string& path) { return platform::PathExists(path); }

// A folder is known by its path as given, up to the last separator of either kind: two spellings
// of one folder cost a second look, never a missed one.
void TempSweep::Sweep(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  if (folders_.insert(separator == std::string::npos ? "" : path.substr(0, separator)).second)
    platform::RemoveStaleTemps(path);
}

namespace {

// The temporary file of one write; whatever way the write ends, it does not stay behind.
struct TempGuard {
  platform::TempFile temp;
  ~TempGuard() { platform::DiscardTemp(temp); }
};

// Writes a temporary file beside path with fill, flushes it, lets beforeReplace refuse, and puts
// it in place of path in one step. Before the rename any failure leaves path as it was and no
// temporary file. After it the change is made: a folder sync that fails is a success with a
// warning, never a failure that a user might answer by doing it again.
Status ReplaceWith(const std::string& path, const std::function<Status(platform::FileHandle)>& fill,
                   const std::function<Status()>& beforeReplace = {}, TempSweep* sweep = nullptr) {
  if (sweep) sweep->Sweep(path);
  else platform::RemoveStaleTemps(path);
  TempGuard guard;
  Status status = platform::CreateTempBeside(path, guard.temp);
  if (status.ok()) status = fill(guard.temp.file);
  if (status.ok()) status = platform::FlushFile(guard.temp.file);
  if (status.ok() && beforeReplace) status = beforeReplace();
  if (status.ok()) status = platform::ReplaceFile(guard.temp, path);
  if (!status.ok()) return status;
  Status synced = platform::SyncFolder(path);
  if (!synced.ok()) status.warning = std::string(kUnconfirmedWrite) + ": " + synced.message;
  return status;
}

// A successful write also passes on what the check of the target warned about.
Status WithWarning(Status status, const std::string& warning) {
  if (status.ok() && !warning.empty()) status.warning = status.warning.empty() ? warning : warning + ". " + status.warning;
  return status;
}

}  // namespace

// A target that a plain write could not change (read-only, a folder, locked) is refused first.
Status WriteWholeFile(std::string_view content, const std::string& link) {
  const std::string path = platform::ReplaceTarget(link);
  Status status = platform::CheckReplaceable(path);
  if (!status.ok()) return status;
  return WithWarning(ReplaceWith(path, [content](platform::FileHandle temp) {
                       return platform::WriteAll(temp, content.data(), content.size());
                     }),
                     status.warning);
}

// As above, copying the pieces from their sources. The sources are checked before the copy and
// again after it, so that a file changed meanwhile (a build writing the executable, the picked
// file growing) never gets mixed into the result. CopyContent lets the sources go before the
// replace, which Windows refuses while the target is open.
Status WriteWholeFile(const Content& content, const std::string& link, const Progress& progress) {
  const std::string path = platform::ReplaceTarget(link);
  Status status = platform::CheckReplaceable(path);
  if (!status.ok()) return status;
  return WithWarning(ReplaceWith(
                         path, [&](platform::FileHandle temp) { return CopyContent(content, temp, progress); },
                         [&] { return CheckSourcesUnchanged(content); }),
                     status.warning);
}

namespace {

// A link is refused rather than followed or replaced; so is the source file under another name.
Status CheckOutputName(const std::string& path, const platform::FileStamp& source) {
  platform::NameKind kind = platform::NameKind::Missing;
  platform::FileStamp found;
  Status status = platform::InspectName(path, kind, found);
  if (!status.ok()) return status;
  if (kind == platform::NameKind::Link) return Status::Refused("It is a symbolic link, which is never written through");
  if (kind == platform::NameKind::File && found.SameFile(source)) return Status::Refused(std::string(kTheFileBeingRead));
  return platform::CheckReplaceable(path);
}

}  // namespace

// The name is checked before the temporary file is made and again just before the rename.
Status WriteOutputFile(const std::string& path, const platform::FileStamp& source,
                       const std::function<Status(platform::FileHandle)>& fill,
                       const std::function<Status()>& beforeReplace, TempSweep* sweep) {
  Status status = CheckOutputName(path, source);
  if (!status.ok()) return status;
  return ReplaceWith(
      path, fill,
      [&] {
        Status ready = beforeReplace ? beforeReplace() : Status::Success();
        return ready.ok() ? CheckOutputName(path, source) : ready;
      },
      sweep);
}
