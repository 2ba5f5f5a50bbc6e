#pragma once
// Message digests from the system's own implementation: OpenSSL's libcrypto on POSIX
// (hash_openssl.cpp), CNG's BCrypt on Windows (hash_bcrypt.cpp). A hash is fed in pieces, so
// that large files are hashed in blocks.
#include <cstddef>
#include <memory>
#include <string>

#include "platform/status.h"

namespace platform {

enum class HashAlgorithm { Sha1, Sha256, Sha384, Sha512 };

class Hash {
 public:
  Hash();
  Hash(const Hash&) = delete;
  Hash& operator=(const Hash&) = delete;
  ~Hash();

  // Starts a new digest, forgetting any earlier one.
  Status Begin(HashAlgorithm algorithm);
  // Adds n bytes; a failure is kept and reported by End.
  void Update(const void* bytes, std::size_t n);
  // The digest of the bytes added since Begin, as raw bytes.
  Status End(std::string& digest);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace platform
