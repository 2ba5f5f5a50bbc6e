// platform::Hash over OpenSSL's EVP digests. One context serves every digest of a Hash, and each
// algorithm is fetched from the provider once.
#include <openssl/evp.h>

#include "platform/hash.h"

namespace platform {

struct Hash::State {
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  EVP_MD* fetched[4] = {};
  bool failed = false;
  ~State() {
    EVP_MD_CTX_free(context);
    for (EVP_MD* md : fetched) EVP_MD_free(md);
  }
};

namespace {

const char* AlgorithmName(HashAlgorithm algorithm) {
  switch (algorithm) {
    case HashAlgorithm::Sha1: return "SHA1";
    case HashAlgorithm::Sha256: return "SHA256";
    case HashAlgorithm::Sha384: return "SHA384";
    case HashAlgorithm::Sha512: return "SHA512";
  }
  return "";
}

}  // namespace

Hash::Hash() : state_(new State) {}
Hash::~Hash() = default;

Status Hash::Begin(HashAlgorithm algorithm) {
  EVP_MD*& md = state_->fetched[static_cast<int>(algorithm)];
  if (md == nullptr) md = EVP_MD_fetch(nullptr, AlgorithmName(algorithm), nullptr);
  state_->failed = state_->context == nullptr || md == nullptr || EVP_DigestInit_ex(state_->context, md, nullptr) != 1;
  return state_->failed ? Status::Failed("The system's hash function is not available") : Status::Success();
}

void Hash::Update(const void* bytes, std::size_t n) {
  if (!state_->failed && n > 0 && EVP_DigestUpdate(state_->context, bytes, n) != 1) state_->failed = true;
}

Status Hash::End(std::string& digest) {
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  if (state_->failed || EVP_DigestFinal_ex(state_->context, out, &size) != 1) {
    state_->failed = true;
    return Status::Failed("The system's hash function failed");
  }
  digest.assign(reinterpret_cast<const char*>(out), size);
  return Status::Success();
}

}  // namespace platform
