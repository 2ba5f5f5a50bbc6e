// POSIX: standard output never translates bytes.
#include "platform/console.h"

namespace platform {

Status SetBinaryStdout() { return Status::Success(); }

}  // namespace platform
