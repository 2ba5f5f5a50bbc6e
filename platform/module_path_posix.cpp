// POSIX stand-in for the program's own path. It has a file of its own so that a test can link its
// own ModulePath in place of this one and keep the other process queries.
#include <unistd.h>

#include <vector>

#include "platform/process.h"

namespace platform {

std::string ModulePath() {
  std::vector<char> buffer(4096);
  ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return "";
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace platform
