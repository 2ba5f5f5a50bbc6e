#pragma once
// The strict rule some Windows machines apply to a signed program (the certificate padding check):
// its certificate table ends the file, and behind the PKCS#7 signature blob's DER end stand at
// most 7 bytes, all zero, up to the end of the certificate entry. A machine that applies it counts
// a program that breaks it as not validly signed.
#include <cstdint>

#include "platform/status.h"
#include "store/tailpack.h"

enum class PaddingVerdict {
  Unsigned,  // no certificate table: nothing to check
  Passes,
  Fails,     // a table that is not one well-formed signature at the end, or other bytes behind its blob
};

struct PaddingCheck {
  PaddingVerdict verdict = PaddingVerdict::Unsigned;
  std::uint64_t behind = 0;  // the bytes behind the signature blob, when its end is known
};

Status CheckCertificatePadding(const tp_source& source, PaddingCheck& check);
