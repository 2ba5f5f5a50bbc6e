// platform:: over the real POSIX primitives (compiled as posix_impl::), failing one chosen call.
// The calls may come from several threads.
#include "tests/store/fault_files.h"

#include "platform/files.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <string_view>

namespace posix_impl {
using platform::CopyStep;
using platform::FileHandle;
using platform::FileStamp;
using platform::TempFile;
bool PathExists(const std::string& path);
std::string ReplaceTarget(const std::string& path);
Status OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size);
Status StampOf(FileHandle file, FileStamp& stamp);
Status InspectName(const std::string& path, file_records::NameKind& kind, FileStamp& stamp);
Status ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t n);
void CloseFile(FileHandle file);
Status CheckReplaceable(const std::string& path);
Status CreateTempBeside(const std::string& path, TempFile& temp, bool unnamed);
void RemoveStaleTemps(const std::string& path);
Status ReplaceFile(TempFile& temp, const std::string& path);
Status SyncFolder(const std::string& path);
void DiscardTemp(TempFile& temp);
Status WriteAll(FileHandle file, const char* data, std::size_t n);
Status CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to, const CopyStep& step);
Status FlushFile(FileHandle file);
Status RemoveFile(const std::string& path);
}  // namespace posix_impl

namespace {
std::mutex gLock;
int gCountdown = 0;
std::string gFailName;  // the primitive whose next call fails
bool gFired = false;
bool gNamedTemps = false;
std::string gHookName;  // the primitive before whose next call gHook runs
std::function<void()> gHook;

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

namespace platform {
std::string ReplaceTarget(const std::string& path) { return posix_impl::ReplaceTarget(path); }
}  // namespace platform

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

void BeforeNextCall(std::string_view primitive, std::function<void()> action) {
  std::lock_guard<std::mutex> hold(gLock);
  gHookName = primitive;
  gHook = std::move(action);
}

namespace platform {

bool PathExists(const std::string& path) { return posix_impl::PathExists(path); }
Status OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size) {
  if (Fail("OpenForRead")) return Injected();
  Status status = posix_impl::OpenForRead(path, file, size);
  std::lock_guard<std::mutex> hold(gLock);
  if (status.ok()) gOpenFiles[file] = path;
  return status;
}
Status InspectName(const std::string& path, NameKind& kind, FileStamp& stamp) {
  return Fail("InspectName") ? Injected() : posix_impl::InspectName(path, kind, stamp);
}
Status ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t n) {
  return Fail("ReadAt") ? Injected() : posix_impl::ReadAt(file, offset, buffer, n);
}
Status StampOf(FileHandle file, FileStamp& stamp) {
  return Fail("StampOf") ? Injected() : posix_impl::StampOf(file, stamp);
}
void CloseFile(FileHandle file) {
  std::lock_guard<std::mutex> hold(gLock);
  gOpenFiles.erase(file);
  posix_impl::CloseFile(file);
}
Status CheckReplaceable(const std::string& path) {
  return Fail("CheckReplaceable") ? Injected() : posix_impl::CheckReplaceable(path);
}
Status CreateTempBeside(const std::string& path, TempFile& temp, bool unnamed) {
  return Fail("CreateTempBeside") ? Injected() : posix_impl::CreateTempBeside(path, temp, unnamed && !gNamedTemps);
}
void RemoveStaleTemps(const std::string& path) { posix_impl::RemoveStaleTemps(path); }
Status ReplaceFile(TempFile& temp, const std::string& path) {
  if (Fail("ReplaceFile")) return Injected();
  if (IsOpen(path)) return Status::Failed("The file is in use");
  return posix_impl::ReplaceFile(temp, path);
}
Status SyncFolder(const std::string& path) { return Fail("SyncFolder") ? Injected() : posix_impl::SyncFolder(path); }
void DiscardTemp(TempFile& temp) { posix_impl::DiscardTemp(temp); }
Status WriteAll(FileHandle file, const char* data, std::size_t n) {
  return Fail("WriteAll") ? Injected() : posix_impl::WriteAll(file, data, n);
}
Status CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to, const CopyStep& step) {
  return Fail("CopyRange") ? Injected() : posix_impl::CopyRange(from, offset, n, to, step);
}
Status FlushFile(FileHandle file) { return Fail("FlushFile") ? Injected() : posix_impl::FlushFile(file); }
Status RemoveFile(const std::string& path) { return Fail("RemoveFile") ? Injected() : posix_impl::RemoveFile(path); }

}  // namespace platform
