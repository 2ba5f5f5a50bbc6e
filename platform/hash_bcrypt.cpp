// platform::Hash over CNG's BCrypt hash objects. Each algorithm's provider is opened once per
// Hash; every digest gets a hash object of its own.
#include <windows.h>
#include <bcrypt.h>

#include "platform/hash.h"

namespace platform {

struct Hash::State {
  BCRYPT_ALG_HANDLE providers[4] = {};
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool failed = false;
  void CloseHash() {
    if (hash != nullptr) BCryptDestroyHash(hash);
    hash = nullptr;
  }
  ~State() {
    CloseHash();
    for (BCRYPT_ALG_HANDLE provider : providers)
      if (provider != nullptr) BCryptCloseAlgorithmProvider(provider, 0);
  }
};

namespace {

LPCWSTR AlgorithmId(HashAlgorithm algorithm) {
  switch (algorithm) {
    case HashAlgorithm::Sha1: return BCRYPT_SHA1_ALGORITHM;
    case HashAlgorithm::Sha256: return BCRYPT_SHA256_ALGORITHM;
    case HashAlgorithm::Sha384: return BCRYPT_SHA384_ALGORITHM;
    case HashAlgorithm::Sha512: return BCRYPT_SHA512_ALGORITHM;
  }
  return L"";
}

bool Succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

Hash::Hash() : state_(new State) {}
Hash::~Hash() = default;

Status Hash::Begin(HashAlgorithm algorithm) {
  state_->CloseHash();
  BCRYPT_ALG_HANDLE& provider = state_->providers[static_cast<int>(algorithm)];
  state_->failed = (provider == nullptr && !Succeeded(BCryptOpenAlgorithmProvider(&provider, AlgorithmId(algorithm), nullptr, 0))) ||
                   !Succeeded(BCryptCreateHash(provider, &state_->hash, nullptr, 0, nullptr, 0, 0));
  return state_->failed ? Status::Failed("The system's hash function is not available") : Status::Success();
}

void Hash::Update(const void* bytes, std::size_t n) {
  auto* at = static_cast<UCHAR*>(const_cast<void*>(bytes));
  while (!state_->failed && n > 0) {  // BCryptHashData takes at most 4 GiB at a time
    ULONG piece = static_cast<ULONG>(n < (std::size_t{1} << 30) ? n : (std::size_t{1} << 30));
    state_->failed = !Succeeded(BCryptHashData(state_->hash, at, piece, 0));
    at += piece;
    n -= piece;
  }
}

Status Hash::End(std::string& digest) {
  DWORD size = 0;
  ULONG got = 0;
  if (!state_->failed &&
      Succeeded(BCryptGetProperty(state_->hash, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&size), sizeof size, &got, 0))) {
    digest.assign(size, '\0');
    state_->failed = !Succeeded(BCryptFinishHash(state_->hash, reinterpret_cast<PUCHAR>(digest.data()), size, 0));
  } else {
    state_->failed = true;
  }
  state_->CloseHash();
  return state_->failed ? Status::Failed("The system's hash function failed") : Status::Success();
}

}  // namespace platform
