#pragma once
// Finding chunks in an open file without holding its table: each walk keeps one record at a
// time, so a file of millions of chunks costs no more memory than a file of one.
#include <cstddef>
#include <functional>
#include <string_view>

#include "platform/status.h"
#include "store/chunk_file.h"
#include "store/tailpack.h"

// The number of chunks in the file.
Status CountChunks(const ChunkFile& file, std::size_t& count);

// The number of chunks (count) and, when `number` is from 1 to count, chunk `number` as listed
// (oldest first) in *record with found set. Walks the trailers twice.
struct FoundChunk {
  std::size_t count = 0;
  bool found = false;
  ChunkRecord record;
  std::size_t number = 0;  // the chunk's number as listed, when found
};
Status FindChunk(const ChunkFile& file, std::size_t number, FoundChunk& chunk);

// The newest chunk whose kind reads `kind` (KindText), as the reader would pick it, with its
// number and the count.
Status FindChunkOfKind(const ChunkFile& file, std::string_view kind, FoundChunk& chunk);

// Hands every chunk to visit, newest first, with its number as listed (count first); visit
// answers false to stop.
using NumberedVisit = std::function<bool(const ChunkRecord& record, std::size_t number)>;
Status WalkChunksNewestFirst(const ChunkFile& file, const NumberedVisit& visit);
