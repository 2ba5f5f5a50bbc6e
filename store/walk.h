#pragma once
// The trailer walk of the single-header reader, run over a ByteSource: the store and the reader
// share one walk, so both find the same chunks at the same positions.
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#define TAILPACK_READER_FORMAT_ONLY
#include "reader/tailpack_reader.h"
#undef TAILPACK_READER_FORMAT_ONLY

#include "platform/status.h"
#include "store/tailpack.h"

// The reader's view of source, which must outlive it.
tailpack::Source ReaderSource(const ByteSource& source);

// The record of a chunk the walk found: the kind keeps the bytes as stored, and a NUL among them
// ends KindText there.
inline void SetRecord(const tailpack::Trailer& trailer, ChunkRecord& record) {
  record.Offset = trailer.offset + 1;
  record.Length = trailer.length;
  std::uint32_t kind = 0;  // one store of all four bytes, Kind[3] staying NUL
  std::memcpy(&kind, trailer.kind.data(), std::min<std::size_t>(trailer.kind.size(), kKindSize));
  std::memcpy(record.Kind, &kind, sizeof kind);
}
inline ChunkRecord RecordOf(const tailpack::Trailer& trailer) {
  ChunkRecord record;
  SetRecord(trailer, record);
  return record;
}

// Walks the chunks of source newest first. visit(const ChunkRecord&, const tailpack::Blocks&)
// gets each record and the block the walk read its trailer from (so that a small chunk's bytes
// can be looked at without another read), and answers false to stop the walk.
template <typename Visit>
Status WalkRecords(const ByteSource& source, Visit&& visit) {
  tailpack::Source reader = ReaderSource(source);
  tailpack::Blocks blocks(reader);
  std::string error;
  auto each = [&visit](const tailpack::Trailer& trailer, const tailpack::Blocks& held) {
    return visit(RecordOf(trailer), held);
  };
  if (tailpack::WalkRegion(blocks, 0, source.size, tailpack::Place::End, each, error) == tailpack::Walked::Failed)
    return Status::Error(error);
  return Status::Success();
}

// Walks the chunks of source oldest first without holding them all. A first walk, newest first,
// hands each chunk to newest(const tailpack::Trailer&) and notes where every 64th chunk ends; then each stretch
// between two notes is walked again, the oldest stretch first, and its records are handed to
// oldest(record, blocks) in file order. Holds 8 bytes per 64 chunks and reads the trailers twice;
// a stretch of small chunks is read as one block.
template <typename Newest, typename Oldest>
Status WalkRecordsOldestFirst(const ByteSource& source, Newest&& newest, Oldest&& oldest) {
  constexpr std::size_t kStretch = 64;
  tailpack::Source reader = ReaderSource(source);
  tailpack::Blocks blocks(reader);
  std::string error;
  std::vector<std::uint64_t> notes{source.size};  // stretch k ends at notes[k]
  std::uint64_t count = 0, bottom = source.size;  // bottom: where the first walk stopped
  auto first = [&](const tailpack::Trailer& trailer, const tailpack::Blocks&) {
    if (count > 0 && count % kStretch == 0) notes.push_back(trailer.end);
    ++count;
    bottom = trailer.start;
    newest(trailer);
    return true;
  };
  if (tailpack::WalkRegion(blocks, 0, source.size, tailpack::Place::End, first, error) == tailpack::Walked::Failed)
    return Status::Error(error);
  ChunkRecord stretch[kStretch];
  for (std::size_t k = notes.size(); count > 0 && k-- > 0;) {
    std::uint64_t low = k + 1 < notes.size() ? notes[k + 1] : bottom;
    if (!blocks.Holds(low, notes[k] - low) && notes[k] - low <= tailpack::kBlockSize && !blocks.Load(low, error))
      return Status::Error(error);
    std::size_t n = 0;
    auto again = [&](const tailpack::Trailer& trailer, const tailpack::Blocks&) {
      SetRecord(trailer, stretch[n++]);
      return n < kStretch;
    };
    if (tailpack::WalkRegion(blocks, 0, notes[k], tailpack::Place::End, again, error) == tailpack::Walked::Failed)
      return Status::Error(error);
    while (n > 0) oldest(static_cast<const ChunkRecord&>(stretch[--n]), static_cast<const tailpack::Blocks&>(blocks));
  }
  return Status::Success();
}
