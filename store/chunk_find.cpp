// Walks over an open file that look for one chunk, or hand the chunks over one at a time.
#include "store/chunk_find.h"

#include "store/walk.h"

Status CountChunks(const ChunkFile& file, std::size_t& count) {
  count = 0;
  return WalkTrailers(file.Source(), [&](const tp_trailer&, const tp_blocks&) { return ++count, true; });
}

Status FindChunk(const ChunkFile& file, std::size_t number, FoundChunk& chunk) {
  chunk = FoundChunk{};
  Status status = CountChunks(file, chunk.count);
  if (!status.ok() || number < 1 || number > chunk.count) return status;
  std::size_t seen = 0;
  const std::size_t wanted = chunk.count - number;  // how many newer chunks stand behind it
  return WalkTrailers(file.Source(), [&](const tp_trailer& trailer, const tp_blocks&) {
    if (seen++ < wanted) return true;
    chunk.record = RecordOf(trailer);
    chunk.found = true;
    chunk.number = number;
    return false;
  });
}

// One walk over every trailer: the count, and the number of the newest chunk of the kind.
Status FindChunkOfKind(const ChunkFile& file, std::string_view kind, FoundChunk& chunk) {
  chunk = FoundChunk{};
  std::size_t newer = 0;  // how many newer chunks stand behind the one found
  Status status = WalkTrailers(file.Source(), [&](const tp_trailer& trailer, const tp_blocks&) {
    if (!chunk.found) {
      ChunkRecord record = RecordOf(trailer);
      if (KindText(record) == kind) {
        chunk.record = record;
        chunk.found = true;
        newer = chunk.count;
      }
    }
    ++chunk.count;
    return true;
  });
  if (chunk.found) chunk.number = chunk.count - newer;
  return status;
}

Status WalkChunksNewestFirst(const ChunkFile& file, const NumberedVisit& visit) {
  std::size_t count = 0;
  Status status = CountChunks(file, count);
  if (!status.ok()) return status;
  std::size_t number = count;
  return WalkTrailers(file.Source(), [&](const tp_trailer& trailer, const tp_blocks&) {
    return number > 0 && visit(RecordOf(trailer), number--);
  });
}
