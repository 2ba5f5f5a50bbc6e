#pragma once
// Standard output for programs that write raw bytes to it.
#include "platform/status.h"

namespace platform {

// Makes standard output pass bytes unchanged (no line-end translation on Windows).
Status SetBinaryStdout();

}  // namespace platform
