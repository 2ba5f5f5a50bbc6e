// POSIX: standard output is descriptor 1 and never translates bytes.
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/console.h"

namespace platform {

FileHandle StandardOutput() { return STDOUT_FILENO; }

Status ReadStandardInput(char* buffer, std::size_t size, std::size_t& got) {
  ssize_t n = 0;
  do n = read(STDIN_FILENO, buffer, size);
  while (n < 0 && errno == EINTR);
  got = n > 0 ? static_cast<std::size_t>(n) : 0;
  return n < 0 ? Status::Failed(std::strerror(errno)) : Status::Success();
}

void UseUtf8Console() {}

}  // namespace platform
