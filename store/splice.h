#pragma once
// Edits as splices of a file's bytes: each replaces one range by new bytes. The store's edits are
// a few splices each, turned into the pieces of a Content or applied to bytes in memory.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/content.h"

struct Splice {
  std::uint64_t at = 0;       // 0-based position of the range replaced
  std::uint64_t removed = 0;  // its length
  std::string inserted;       // what takes its place
};

// The pieces of a file of `size` bytes with the splices applied; they are sorted by position, do
// not overlap and lie inside the file.
std::vector<Piece> SplicePieces(std::uint64_t size, const std::vector<Splice>& splices);
// The same applied to bytes in memory.
std::string SplicedBytes(std::string_view bytes, const std::vector<Splice>& splices);
// The size of the file afterwards.
std::uint64_t SplicedSize(std::uint64_t size, const std::vector<Splice>& splices);

// A 32-bit little-endian field of a PE header set to value.
Splice SetField32(std::uint64_t at, std::uint64_t value);
