// A file system in front of the installed one (the system's own), which it forwards to, failing
// one chosen call. It installs itself before the tests start; the calls may come from several
// threads.
#include "tests/store/fault_files.h"

#include "platform/files.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <string_view>

namespace {
std::mutex gLock;
int gCountdown = 0;
std::string gFailName;  // the primitive whose next call fails
bool gFired = false;
bool gNamedTemps = false;
std::string gHookName;  // the primitive before whose next call gHook runs
std::function<void()> gHook;
std::string gOwnerChange;  // when set, what CheckOwnerKept refuses with

// Runs the hook armed for the primitive `name`, once.
void RunHook(std::string_view name) {
  std::function<void()> action;
  {
    std::lock_guard<std::mutex> hold(gLock);
    if (gHookName != name) return;
    gHookName.clear();
    action = std::move(gHook);
  }
  if (action) action();
}

// True when this call, of the primitive `name`, is the one to fail.
bool Fail(std::string_view name) {
  RunHook(name);
  std::lock_guard<std::mutex> hold(gLock);
  if (!gFailName.empty()) {
    if (name != gFailName) return false;
    gFailName.clear();
  } else if (gCountdown == 0 || --gCountdown > 0) {
    return false;
  }
  gFired = true;
  return true;
}

Status Injected() { return Status::Failed("Injected fault"); }

// Files open for reading. Windows refuses to replace a file that is still open, so the layer
// refuses it too, and a write that holds its source open while replacing it fails here as well.
std::map<platform::FileHandle, std::string> gOpenFiles;

bool IsOpen(const std::string& path) {
  std::lock_guard<std::mutex> hold(gLock);
  for (const auto& [handle, openPath] : gOpenFiles) {
    std::error_code ignored;
    if (openPath == path || std::filesystem::equivalent(openPath, path, ignored)) return true;
  }
  return false;
}
}  // namespace

void ArmFault(int n) {
  std::lock_guard<std::mutex> hold(gLock);
  gCountdown = n;
  gFailName.clear();
  gFired = false;
}

void ArmFaultAt(std::string_view primitive) {
  std::lock_guard<std::mutex> hold(gLock);
  gCountdown = 0;
  gFailName = primitive;
  gFired = false;
}

bool FaultFired() {
  std::lock_guard<std::mutex> hold(gLock);
  return gFired;
}

void UseNamedTemps(bool named) { gNamedTemps = named; }

void FakeOwnerChange(std::string refusal) {
  std::lock_guard<std::mutex> hold(gLock);
  gOwnerChange = std::move(refusal);
}

void BeforeNextCall(std::string_view primitive, std::function<void()> action) {
  std::lock_guard<std::mutex> hold(gLock);
  gHookName = primitive;
  gHook = std::move(action);
}

namespace {

using platform::CopyStep;
using platform::FileHandle;
using platform::FileStamp;
using platform::NameKind;
using platform::Target;
using platform::TempFile;

class FaultFiles final : public platform::FileSystem {
 public:
  FaultFiles() : next_(platform::InstallFiles(*this)) {}

  bool PathExists(const std::string& path) override { return next_.PathExists(path); }
  Status OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size) override {
    if (Fail("OpenForRead")) return Injected();
    Status status = next_.OpenForRead(path, file, size);
    std::lock_guard<std::mutex> hold(gLock);
    if (status.ok()) gOpenFiles[file] = path;
    return status;
  }
  Status InspectName(const Target& target, NameKind& kind, FileStamp& stamp) override {
    return Fail("InspectName") ? Injected() : next_.InspectName(target, kind, stamp);
  }
  Status ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t n) override {
    return Fail("ReadAt") ? Injected() : next_.ReadAt(file, offset, buffer, n);
  }
  Status StampOf(FileHandle file, FileStamp& stamp) override {
    return Fail("StampOf") ? Injected() : next_.StampOf(file, stamp);
  }
  bool SameOpenFile(FileHandle a, FileHandle b) override { return next_.SameOpenFile(a, b); }
  void CloseFile(FileHandle file) override {
    std::lock_guard<std::mutex> hold(gLock);
    gOpenFiles.erase(file);
    next_.CloseFile(file);
  }
  std::string ReplaceTarget(const std::string& path) override { return next_.ReplaceTarget(path); }
  Status OpenTarget(const std::string& path, Target& target) override { return next_.OpenTarget(path, target); }
  void CloseTarget(Target& target) override { next_.CloseTarget(target); }
  Status CheckReplaceable(const Target& target) override {
    return Fail("CheckReplaceable") ? Injected() : next_.CheckReplaceable(target);
  }
  Status CheckOwnerKept(const std::string& path) override {
    std::lock_guard<std::mutex> hold(gLock);
    return gOwnerChange.empty() ? next_.CheckOwnerKept(path) : Status::Refused(gOwnerChange);
  }
  Status CreateTempBeside(const Target& target, TempFile& temp, bool unnamed) override {
    return Fail("CreateTempBeside") ? Injected() : next_.CreateTempBeside(target, temp, unnamed && !gNamedTemps);
  }
  void RemoveStaleTemps(const Target& target) override { next_.RemoveStaleTemps(target); }
  Status CreateScratchFile(const std::string& path, FileHandle& file) override {
    return Fail("CreateScratchFile") ? Injected() : next_.CreateScratchFile(path, file);
  }
  Status ReplaceFile(TempFile& temp, const Target& target) override {
    if (Fail("ReplaceFile")) return Injected();
    if (IsOpen(target.path)) return Status::Failed("The file is in use");
    return next_.ReplaceFile(temp, target);
  }
  Status SyncFolder(const Target& target) override {
    return Fail("SyncFolder") ? Injected() : next_.SyncFolder(target);
  }
  void DiscardTemp(TempFile& temp) override { next_.DiscardTemp(temp); }
  Status WriteAll(FileHandle file, const char* data, std::size_t n) override {
    return Fail("WriteAll") ? Injected() : next_.WriteAll(file, data, n);
  }
  Status CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to,
                   const CopyStep& step) override {
    return Fail("CopyRange") ? Injected() : next_.CopyRange(from, offset, n, to, step);
  }
  Status FlushFile(FileHandle file) override { return Fail("FlushFile") ? Injected() : next_.FlushFile(file); }
  Status RemoveFile(const std::string& path) override {
    return Fail("RemoveFile") ? Injected() : next_.RemoveFile(path);
  }

 private:
  platform::FileSystem& next_;
};

FaultFiles gFaultFiles;

}  // namespace
