// Windows: the handle under the C runtime's standard output, written with WriteFile, which
// translates nothing.
#include <windows.h>

#include "platform/console.h"

namespace platform {

FileHandle StandardOutput() { return reinterpret_cast<FileHandle>(GetStdHandle(STD_OUTPUT_HANDLE)); }

}  // namespace platform
