// platform:: over the real POSIX primitives (compiled as posix_impl::), failing one chosen call.
#include "tests/store/fault_files.h"

#include "platform/files.h"

#include <filesystem>
#include <map>

namespace posix_impl {
using platform::FileHandle;
bool PathExists(const std::string& path);
std::string ReplaceTarget(const std::string& path);
Status OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size);
Status ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t n);
void CloseFile(FileHandle file);
Status CheckReplaceable(const std::string& path);
Status CreateTempBeside(const std::string& path, FileHandle& file, std::string& tempPath);
Status WriteAll(FileHandle file, const char* data, std::size_t n);
Status CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to);
Status FlushFile(FileHandle file);
Status ReplaceFile(const std::string& tempPath, const std::string& path);
Status RemoveFile(const std::string& path);
}  // namespace posix_impl

namespace {
int gCountdown = 0;
bool gFired = false;

// True when this call is the one to fail.
bool Fail() {
  if (gCountdown == 0) return false;
  if (--gCountdown > 0) return false;
  gFired = true;
  return true;
}

Status Injected() { return Status::Error("Injected fault"); }

// Files open for reading. Windows refuses to replace a file that is still open, so the layer
// refuses it too, and a write that holds its source open while replacing it fails here as well.
std::map<platform::FileHandle, std::string> gOpenFiles;

bool IsOpen(const std::string& path) {
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
  gCountdown = n;
  gFired = false;
}

bool FaultFired() { return gFired; }

namespace platform {

bool PathExists(const std::string& path) { return posix_impl::PathExists(path); }
Status OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size) {
  if (Fail()) return Injected();
  Status status = posix_impl::OpenForRead(path, file, size);
  if (status.ok()) gOpenFiles[file] = path;
  return status;
}
Status ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t n) {
  return Fail() ? Injected() : posix_impl::ReadAt(file, offset, buffer, n);
}
void CloseFile(FileHandle file) {
  gOpenFiles.erase(file);
  posix_impl::CloseFile(file);
}
Status CheckReplaceable(const std::string& path) { return Fail() ? Injected() : posix_impl::CheckReplaceable(path); }
Status CreateTempBeside(const std::string& path, FileHandle& file, std::string& tempPath) {
  return Fail() ? Injected() : posix_impl::CreateTempBeside(path, file, tempPath);
}
Status WriteAll(FileHandle file, const char* data, std::size_t n) {
  return Fail() ? Injected() : posix_impl::WriteAll(file, data, n);
}
Status CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to) {
  return Fail() ? Injected() : posix_impl::CopyRange(from, offset, n, to);
}
Status FlushFile(FileHandle file) { return Fail() ? Injected() : posix_impl::FlushFile(file); }
Status ReplaceFile(const std::string& tempPath, const std::string& path) {
  if (Fail()) return Injected();
  if (IsOpen(path)) return Status::Error("The file is in use");
  return posix_impl::ReplaceFile(tempPath, path);
}
Status RemoveFile(const std::string& path) { return Fail() ? Injected() : posix_impl::RemoveFile(path); }

}  // namespace platform
