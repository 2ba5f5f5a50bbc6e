#pragma once
// The new content of a file, described as pieces copied from the file as it is now and literal
// bytes, so that an edit of a large executable streams instead of holding the file in memory.
#include <cstdint>
#include <string>
#include <vector>

struct Piece {
  bool fromSource = false;     // copy `length` bytes of the source file at 0-based `offset`...
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  std::string bytes;           // ...or write these bytes
};

struct Content {
  std::string sourcePath;          // the file the copied pieces come from
  std::uint64_t sourceSize = 0;    // its size when the pieces were computed; checked on write
  std::vector<Piece> pieces;
};

std::uint64_t ContentSize(const Content& content);
