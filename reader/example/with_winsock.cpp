// Built in the Windows build only, never run: a program that includes <winsock2.h> after the
// reader and uses std::min and std::max, as programs that talk to a network do. It compiles only
// while the reader keeps the full <windows.h> out (it brings the old <winsock.h>, which clashes
// with <winsock2.h>) and with it the min and max macros, and while the reader's own declarations
// of the Win32 calls agree with those <winsock2.h> brings.
#undef WIN32_LEAN_AND_MEAN  // the project defines both for its own code; a user's program may not
#undef NOMINMAX

#include "reader/tailpack_reader.h"

#include <winsock2.h>

#include <algorithm>

#if defined(WIN32_LEAN_AND_MEAN)
#error "the reader left WIN32_LEAN_AND_MEAN defined in the program"
#endif

int main() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return 1;
  WSACleanup();
  tailpack::SelfPathResult self = tailpack::SelfPath();
  return std::max(0, std::min(1, self.ok() ? 0 : 1));
}
