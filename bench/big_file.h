#pragma once
// The benchmark's executable: a body followed by many large chunks, written in blocks so that
// making it needs little memory.
#include <cstdint>
#include <string>

#include "platform/status.h"

struct BigFileShape {
  std::uint64_t bodyBytes = 4ull << 20;
  std::uint64_t chunks = 200;
  std::uint64_t chunkBytes = 5500ull << 10;  // average; sizes vary by up to a quarter either way
};

struct BigFileFacts {
  std::uint64_t size = 0;
  std::uint64_t largestChunk = 0;
  std::uint64_t chunkBytes = 0;  // data bytes of all chunks together
};

Status MakeBigFile(const std::string& path, const BigFileShape& shape, BigFileFacts& facts);
