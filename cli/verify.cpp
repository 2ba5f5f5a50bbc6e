// stowr-cli verify EXE: whether a signed program still has the Authenticode digests its
// signatures were made for, and whether it passes the strict certificate padding check.
#include <iostream>
#include <string>

#include "cli/commands.h"
#include "store/padding_check.h"
#include "store/signature_digest.h"
#include "store/walk.h"

namespace {

// "signature 2 (nested): SHA-1, digest matches"
std::string DigestLine(std::size_t number, const SignatureDigest& digest) {
  std::string line = "signature " + std::to_string(number) + (digest.nested ? " (nested): " : ": ");
  switch (digest.verdict) {
    case DigestVerdict::Matches: return line + digest.algorithm + ", digest matches";
    case DigestVerdict::Differs: return line + digest.algorithm + ", digest differs";
    case DigestVerdict::NotChecked: return line + digest.algorithm + ", digest not checked";
    case DigestVerdict::Unreadable: break;
  }
  return line + "no Authenticode digest found";
}

// The chunks inside the certificate table, which a signing tool drops when it signs again.
Status CountChunksInSignature(const tp_source& source, std::uint64_t& count) {
  count = 0;
  return WalkTrailers(source, [&](const tp_trailer& trailer, const tp_blocks&) {
    if (trailer.place != TP_PLACE_SIGNATURE) return false;
    ++count;
    return true;
  });
}

}  // namespace

// One line per signature, the padding verdict, a warning when chunks would not survive signing
// again, and what is not checked. Exits with kExitCheckFailed unless every digest matches and
// the padding check passes.
int RunVerify(const Args& args) {
  ChunkFile file;
  if (int code = OpenOnlyExe(args, file)) return code;
  const std::string& exe = args[0];
  PaddingCheck check;
  std::vector<SignatureDigest> digests;
  std::uint64_t inside = 0;
  Status status = CheckCertificatePadding(file.Source(), check);
  if (status.ok()) status = CheckSignatureDigests(file.Source(), digests);
  if (status.ok()) status = CountChunksInSignature(file.Source(), inside);
  if (!status.ok()) return FileFailure("cannot read", exe, status);
  if (check.verdict == PaddingVerdict::Unsigned) {
    std::cout << exe << ": not signed\n";
    return kExitOk;
  }
  bool passes = check.verdict == PaddingVerdict::Passes;
  for (std::size_t i = 0; i < digests.size(); ++i) {
    std::cout << exe << ": " << DigestLine(i + 1, digests[i]) << '\n';
    passes = passes && digests[i].verdict == DigestVerdict::Matches;
  }
  std::cout << exe << ": signed; " << (check.verdict == PaddingVerdict::Passes ? "passes" : "fails")
            << " the strict certificate padding check\n";
  if (inside > 0)
    std::cout << exe << ": re-signing removes the " << (inside == 1 ? "1 chunk" : std::to_string(inside) + " chunks")
              << " inside the signature; see stowr-cli copy\n";
  std::cout << exe << ": certificates and their trust are not checked; osslsigncode verify or Windows check them\n";
  return passes ? kExitOk : kExitCheckFailed;
}
