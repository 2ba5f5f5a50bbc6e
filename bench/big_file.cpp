#include "bench/big_file.h"

#include <cstdio>
#include <memory>

#include "store/tailpack.h"
#include "tests/model/random_files.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Text without a zero byte, so that the Text/Binary test has to look at every byte; every third
// chunk ends with a zero and is Binary.
std::string TextBlock(randomfiles::Rng& rng, std::size_t n) {
  static const char kText[] = "abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n{TlPk}0123456789";
  std::string block(n, ' ');
  for (char& c : block) c = kText[rng.Below(sizeof kText - 1)];
  return block;
}

bool Put(std::FILE* f, const char* data, std::uint64_t n) { return std::fwrite(data, 1, n, f) == n; }

// Writes n bytes cycling through block, starting at a chunk-dependent place.
bool PutCycled(std::FILE* f, const std::string& block, std::uint64_t n, std::uint64_t start) {
  std::uint64_t at = start % block.size();
  while (n > 0) {
    std::uint64_t take = std::min<std::uint64_t>(n, block.size() - at);
    if (!Put(f, block.data() + at, take)) return false;
    n -= take;
    at = 0;
  }
  return true;
}

}  // namespace

// Chunk k gets a size of the average plus or minus up to a quarter, a kind made from its number,
// and data cycled from one random block of text.
Status MakeBigFile(const std::string& path, const BigFileShape& shape, BigFileFacts& facts) {
  std::unique_ptr<std::FILE, FileCloser> f(std::fopen(path.c_str(), "wb"));
  if (!f) return Status::Failed("Cannot create " + path);
  randomfiles::Rng rng{20240601};
  std::string block = TextBlock(rng, 1 << 20);
  facts = {};
  bool ok = PutCycled(f.get(), block, shape.bodyBytes, 0);
  for (std::uint64_t k = 1; ok && k <= shape.chunks; ++k) {
    std::uint64_t quarter = shape.chunkBytes / 4;
    std::uint64_t length = shape.chunkBytes - quarter + rng.Below(2 * quarter + 1);
    bool binary = k % 3 == 0;
    ok = PutCycled(f.get(), block, length - (binary ? 1 : 0), k * 7919);
    if (ok && binary) ok = Put(f.get(), "", 1);
    std::string kind = {static_cast<char>('A' + k % 26), static_cast<char>('0' + k / 26 % 10),
                        static_cast<char>('0' + k % 10)};
    std::string trailer = MakeTrailer(length, kind);
    if (ok) ok = Put(f.get(), trailer.data(), trailer.size());
    facts.largestChunk = std::max(facts.largestChunk, length);
    facts.chunkBytes += length;
    facts.size += length + trailer.size();
  }
  facts.size += shape.bodyBytes;
  if (!ok || std::fflush(f.get()) != 0) return Status::Failed("Cannot write " + path);
  return Status::Success();
}
