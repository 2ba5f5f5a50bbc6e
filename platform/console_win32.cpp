// Windows: the C runtime opens standard output in text mode; switch it to binary.
#include "platform/console.h"

#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace platform {

Status SetBinaryStdout() {
  std::fflush(stdout);
  if (_setmode(_fileno(stdout), _O_BINARY) == -1) return Status::Error(std::strerror(errno));
  return Status::Success();
}

}  // namespace platform
