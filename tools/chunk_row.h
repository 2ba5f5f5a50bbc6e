#pragma once
// The text of one row of the chunk list.
#include <cstddef>
#include <string>
#include <string_view>

#include "store/tailpack.h"

struct ChunkRow {
  std::string number;  // "3"
  std::string kind;    // the Kind as stored, leading spaces included
  std::string type;    // "Text" or "Binary"
  std::string size;    // "2,048 B"
  std::string offset;  // "@ 1,025"
};

// The row of chunk `number` (1-based) whose data bytes are `data`.
ChunkRow MakeChunkRow(std::size_t number, const ChunkRecord& record, std::string_view data);

// "Binary" when data holds a zero byte, else "Text" (empty or unreadable data included).
std::string_view ChunkTypeName(std::string_view data);
