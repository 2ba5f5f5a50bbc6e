// The refusal of, and the warning for, a change that breaks a code signature: the certificate table covers the file
// as it is, so a change to the bytes it signs leaves a signature that no longer verifies.
#include <cstdio>

#include "cli/common.h"

int RefuseBreakingSignature(const std::string& exe) {
  std::fprintf(stderr,
               "stowr-cli: %s is signed and this change would break its signature, so nothing was written; "
               "--break-signature allows it\n",
               exe.c_str());
  return kExitRefused;
}

void WarnSignatureBroken(const std::string& exe) {
  std::fprintf(stderr,
               "stowr-cli: warning: %s is signed; its signature will no longer verify after this change\n",
               exe.c_str());
}
