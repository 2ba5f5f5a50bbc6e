#pragma once
// The literal model of a signed executable: the PE security directory, its certificate table, the
// PKCS#7 signature blob in it and the chunk attribute of the blob's last signer, each found by
// looking at the bytes of the whole file, one rule after the other. It says where a walk for
// chunks goes; it shares no code with the store or the reader.
#include <cstdint>
#include <string>
#include <vector>

#include "store/tailpack.h"

namespace literal {

// The certificate table named by the security directory.
struct CertificateTable {
  bool present = false;      // a well-formed PE header whose table lies inside the file
  bool holdsChunks = false;  // ends the file, aligned, one entry of signed data, a blob of known length
  std::uint64_t at = 0, size = 0;
  std::uint64_t headersEnd = 0;  // the end of the optional header
  std::uint64_t blobEnd = 0;     // the end of the signature blob
  std::uint64_t chunksAt = 0;    // the first byte of the chunk attribute's value, 0 without one
};

CertificateTable FindCertificateTable(const std::string& bytes);

// The strict certificate padding check: the table holds chunks (as above), and behind its blob
// stand at most 7 bytes, all zero.
bool PassesPaddingCheck(const std::string& bytes);

// A stretch of the file walked for trailers from `end` down to no further than `floor`.
struct Region {
  std::uint64_t floor = 0, end = 0;
  tp_place place = TP_PLACE_END;
};

// The stretches a walk goes through, newest chunks first: the whole file; or, when the table holds
// chunks, the table from its chunks on (the chunk attribute's value, or behind the blob) and then
// the bytes from the headers to the table, without up to 7 zero bytes behind a last marker.
std::vector<Region> Regions(const std::string& bytes);

}  // namespace literal
