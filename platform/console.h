#pragma once
// Standard output for programs that write raw bytes to it.
#include "platform/files.h"

namespace platform {

// Standard output as a file handle: bytes written to it pass unchanged (no line-end translation
// on Windows), and file copies can write to it directly.
FileHandle StandardOutput();

}  // namespace platform
