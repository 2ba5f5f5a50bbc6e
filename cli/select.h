#pragma once
// Naming a chunk on the command line: its number as listed ("2", from 1), or ":" and its kind
// (":CFG", the newest chunk of that kind). The colon keeps a kind of digits ("123") apart from a
// number.
#include <cstddef>
#include <string>

#include "cli/common.h"

// Finds the chunk text names in file (chunk.record, chunk.count) and sets index (1-based),
// holding no table. A malformed name is wrong usage; a name with no chunk behind it is a refused
// request.
int SelectChunk(const std::string& text, const ChunkFile& file, FoundChunk& chunk, std::size_t& index);
