#pragma once
// The Authenticode digests of a signed program. Every signature in its certificate table (the
// outer one, and those nested in its first signer's unauthenticated attributes) names a hash
// algorithm and holds, in its signed content, the digest of the PE image in that algorithm. The
// image is the whole file but for the optional header's CheckSum, the security directory entry
// and the certificate table. This tells whether the file still has the digests its signatures
// were made for; the signers' own signatures and their certificates are not checked.
#include <string>
#include <vector>

#include "platform/status.h"
#include "store/tailpack.h"

enum class DigestVerdict {
  Matches,
  Differs,
  NotChecked,  // an algorithm other than SHA-1, SHA-256, SHA-384 and SHA-512
  Unreadable,  // a signature without an Authenticode digest that can be read
};

struct SignatureDigest {
  bool nested = false;    // held in the outer signature's unauthenticated attributes
  std::string algorithm;  // "SHA-256", or the algorithm's OID in dotted form; empty when unreadable
  DigestVerdict verdict = DigestVerdict::Unreadable;
};

// The digests of the signatures in source, the outer one first; none when it has no certificate
// table. Every algorithm named is computed in one pass over the file.
Status CheckSignatureDigests(const tp_source& source, std::vector<SignatureDigest>& digests);
