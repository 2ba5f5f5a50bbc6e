// The portable way to copy a range of one open file into another: read and write through a
// large buffer. Both native file systems use it; the POSIX one tries the kernel's copy first.
#include <string>

#include "platform/files_native.h"

namespace platform {

Status NativeFileSystem::CopyThroughBuffer(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to, const CopyStep& step) {
  constexpr std::size_t kBuffer = std::size_t{8} << 20;
  std::string buffer(static_cast<std::size_t>(n < kBuffer ? n : kBuffer), '\0');
  for (std::uint64_t copied = 0; copied < n;) {
    std::size_t block = n - copied < buffer.size() ? static_cast<std::size_t>(n - copied) : buffer.size();
    Status status = ReadAt(from, offset + copied, buffer.data(), block);
    if (status.ok()) status = WriteAll(to, buffer.data(), block);
    if (!status.ok()) return status;
    copied += block;
    if (step && !step(copied)) return Status::Cancelled();
  }
  return Status::Success();
}

}  // namespace platform
