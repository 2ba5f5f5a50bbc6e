// The portable way to copy a range of one open file into another: read and write through a
// large buffer. Both file layers use it; the POSIX one tries the kernel's copy first.
#include <string>

#include "platform/files.h"

namespace platform {

Status CopyThroughBuffer(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to) {
  constexpr std::size_t kBuffer = std::size_t{8} << 20;
  std::string buffer(static_cast<std::size_t>(n < kBuffer ? n : kBuffer), '\0');
  while (n > 0) {
    std::size_t step = n < buffer.size() ? static_cast<std::size_t>(n) : buffer.size();
    Status status = ReadAt(from, offset, buffer.data(), step);
    if (status.ok()) status = WriteAll(to, buffer.data(), step);
    if (!status.ok()) return status;
    offset += step;
    n -= step;
  }
  return Status::Success();
}

}  // namespace platform
