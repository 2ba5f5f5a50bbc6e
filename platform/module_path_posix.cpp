// POSIX stand-ins for the program's own path and the temporary folder. They have a file of their
// own so that a test can link its own in place of these and keep the other process queries.
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/process.h"

namespace platform {

// The link's text as it is. The reader's core reads the same link (tp_self_name in
// reader/tailpack.h) but drops the " (deleted)" the system adds once another file took the name.
std::string ModulePath() {
  std::vector<char> buffer(4096);
  ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) return "";
  return std::string(buffer.data(), static_cast<std::size_t>(length));
}

// $TMPDIR, or /tmp/.
std::string TempFolder() {
  const char* folder = std::getenv("TMPDIR");
  std::string path = folder && *folder ? folder : "/tmp";
  if (path.back() != '/') path += '/';
  return path;
}

}  // namespace platform
