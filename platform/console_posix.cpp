// POSIX: standard output is descriptor 1 and never translates bytes.
#include <unistd.h>

#include "platform/console.h"

namespace platform {

FileHandle StandardOutput() { return STDOUT_FILENO; }

void UseUtf8Console() {}

}  // namespace platform
