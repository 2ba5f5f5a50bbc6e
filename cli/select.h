#pragma once
// Naming a chunk on the command line: its number as listed ("2", from 1), or ":" and its kind
// (":CFG", the newest chunk of that kind). The colon keeps a kind of digits ("123") apart from a
// number.
#include <cstddef>
#include <string>

#include "cli/common.h"

// Finds the chunk text names in file (chunk.record, chunk.count, chunk.number), holding no table.
// A malformed name is wrong usage; a name with no chunk behind it is a refused request.
int SelectChunk(const std::string& text, const ChunkFile& file, FoundChunk& chunk);

// What a command on one chunk works on: EXE (its first argument) open for reading, and the chunk
// its second argument, CHUNK, names.
struct ChosenChunk {
  ChunkFile file;
  FoundChunk chunk;
};
// The start of every command on one chunk: wrong usage unless args are EXE CHUNK and at most
// `most` arguments in all; then EXE's edit lock, when lock is given; then EXE opened and CHUNK
// found in it.
int ChooseChunk(const Args& args, std::size_t most, ChosenChunk& chosen, platform::FileLock* lock = nullptr);
