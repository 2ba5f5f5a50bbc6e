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

// The row of chunk `number` (1-based); `binary` is the Text/Binary test of its data bytes
// (ChunkIsBinary in store/scan.h).
ChunkRow MakeChunkRow(std::size_t number, const ChunkRecord& record, bool binary);

// The five cells of MakeChunkRow separated by tabs, and a line feed: the line of a command-line
// listing, formatted without a string per cell. Put writes it at out, which has room for
// kMaxRowLine characters, and returns where it ends; Append adds it to text.
inline constexpr std::size_t kMaxRowLine = 128;
char* PutChunkRowLine(std::size_t number, const ChunkRecord& record, bool binary, char* out);
void AppendChunkRowLine(std::size_t number, const ChunkRecord& record, bool binary, std::string& text);

// "Binary" or "Text".
std::string_view ChunkTypeName(bool binary);
