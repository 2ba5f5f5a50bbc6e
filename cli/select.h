#pragma once
// Naming a chunk on the command line: its number as listed ("2", from 1), or ":" and its kind
// (":CFG", the newest chunk of that kind). The colon keeps a kind of digits ("123") apart from a
// number.
#include <cstddef>
#include <string>

#include "cli/common.h"

// Finds the chunk text names in table and sets index (1-based). A malformed name is wrong usage;
// a name with no chunk behind it is a refused request.
int SelectChunk(const std::string& exe, const std::string& text, const ChunkTable& table, std::size_t& index);
