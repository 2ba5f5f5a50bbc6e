// The warning for signed executables: their certificate table covers the file as it is, so any
// change to the chunks leaves a signature that no longer verifies.
#include <cstdio>

#include "cli/common.h"
#include "reader/tailpack_reader.h"

void WarnIfSigned(const std::string& exe) {
  if (!tailpack::HasCertificateTable(exe)) return;
  std::fprintf(stderr,
               "stowr-cli: warning: %s is signed; its signature will no longer verify after this change\n",
               exe.c_str());
}
