// POSIX: standard output is descriptor 1 and never translates bytes.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/console.h"

namespace platform {

FileHandle StandardOutput() { return STDOUT_FILENO; }

Status ReadStandardInput(std::string& bytes, std::uint64_t limit) {
  bytes.clear();
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::Failed(std::strerror(errno));
    if (n == 0) return Status::Success();
    if (bytes.size() + static_cast<std::size_t>(n) > limit) return Status::Failed("more data than a chunk can hold");
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

void UseUtf8Console() {}

}  // namespace platform
