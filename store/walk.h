#pragma once
// The trailer walk of the single-header reader, run over a ByteSource: the store and the reader
// share one walk and one rule for signed executables, so both find the same chunks at the same
// positions.
#include <algorithm>
#include <cstring>
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
  const std::size_t n = std::min<std::size_t>(trailer.kind.size(), kKindSize);
  std::memcpy(record.Kind, trailer.kind.data(), n);
  std::memset(record.Kind + n, 0, sizeof record.Kind - n);  // Kind[3] stays NUL
  record.Place = static_cast<ChunkPlace>(trailer.place);
}
inline ChunkRecord RecordOf(const tailpack::Trailer& trailer) {
  ChunkRecord record;
  SetRecord(trailer, record);
  return record;
}

// Where the chunks of a file stand: its certificate table, and the regions the walk goes through.
struct FileLayout {
  tailpack::CertificateTable table;
  tailpack::Regions regions;
};

// Reads the PE headers and the certificate table through blocks.
Status ReadLayout(tailpack::Blocks& blocks, FileLayout& layout);

// What a walk over a ByteSource holds: the reader's view of it, the block read last, the layout.
struct SourceWalk {
  explicit SourceWalk(const ByteSource& source) : reader(ReaderSource(source)), blocks(reader) {}
  Status Start() { return ReadLayout(blocks, layout); }
  tailpack::Source reader;
  tailpack::Blocks blocks;
  FileLayout layout;
};

// Walks the chunks of source newest first, handing visit(const tailpack::Trailer&, const
// tailpack::Blocks&) each chunk and the block its trailer was read from (so that a small chunk's
// bytes can be looked at without another read); visit answers false to stop. The layout found is
// stored in *layout when given, and where the walk of the oldest region stopped in *body.
template <typename Visit>
Status WalkTrailers(const ByteSource& source, Visit&& visit, FileLayout* layout = nullptr,
                    std::uint64_t* body = nullptr) {
  SourceWalk walk(source);
  Status status = walk.Start();
  if (!status.ok()) return status;
  if (layout) *layout = walk.layout;
  std::string error;
  std::uint64_t stopped = source.size;
  if (tailpack::WalkRegions(walk.blocks, walk.layout.regions, visit, stopped, error) == tailpack::Walked::Failed)
    return Status::Error(error);
  if (body) *body = stopped;
  return Status::Success();
}

// The same with ChunkRecords: visit(const ChunkRecord&, const tailpack::Blocks&).
template <typename Visit>
Status WalkRecords(const ByteSource& source, Visit&& visit) {
  return WalkTrailers(source, [&visit](const tailpack::Trailer& trailer, const tailpack::Blocks& blocks) {
    return visit(RecordOf(trailer), blocks);
  });
}

// Walks the chunks of source oldest first without holding them all. A first walk, newest first,
// hands each chunk to newest(const tailpack::Trailer&) and notes where every 64th chunk of each
// region ends; then each stretch between two notes is walked again, the oldest region and stretch
// first, and its records are handed to oldest(record, blocks) in file order. Holds 8 bytes per 64
// chunks and reads the trailers twice; a stretch of small chunks is read as one block.
template <typename Newest, typename Oldest>
Status WalkRecordsOldestFirst(const ByteSource& source, Newest&& newest, Oldest&& oldest) {
  constexpr std::size_t kStretch = 64;
  SourceWalk walk(source);
  Status status = walk.Start();
  if (!status.ok()) return status;
  tailpack::Blocks& blocks = walk.blocks;
  const tailpack::Regions& regions = walk.layout.regions;
  std::string error;
  std::vector<std::uint64_t> notes[2];  // stretch k of region r ends at notes[r][k]
  std::uint64_t count[2] = {}, bottom[2] = {};  // bottom: where the first walk of the region stopped
  for (int r = 0; r < regions.count; ++r) {
    const tailpack::Region& region = regions.region[r];
    notes[r].push_back(region.end);
    bottom[r] = region.end;
    auto first = [&](const tailpack::Trailer& trailer, const tailpack::Blocks&) {
      if (count[r] > 0 && count[r] % kStretch == 0) notes[r].push_back(trailer.end);
      ++count[r];
      bottom[r] = trailer.start;
      newest(trailer);
      return true;
    };
    if (tailpack::WalkRegion(blocks, region.floor, region.end, region.place, first, error) == tailpack::Walked::Failed)
      return Status::Error(error);
  }
  ChunkRecord stretch[kStretch];
  for (int r = regions.count; r-- > 0;) {
    const tailpack::Region& region = regions.region[r];
    for (std::size_t k = notes[r].size(); count[r] > 0 && k-- > 0;) {
      std::uint64_t low = k + 1 < notes[r].size() ? notes[r][k + 1] : bottom[r];
      if (!blocks.Holds(low, notes[r][k] - low) && notes[r][k] - low <= tailpack::kBlockSize && !blocks.Load(low, error))
        return Status::Error(error);
      std::size_t n = 0;
      auto again = [&](const tailpack::Trailer& trailer, const tailpack::Blocks&) {
        SetRecord(trailer, stretch[n++]);
        return n < kStretch;
      };
      if (tailpack::WalkRegion(blocks, region.floor, notes[r][k], region.place, again, error) ==
          tailpack::Walked::Failed)
        return Status::Error(error);
      while (n > 0) oldest(static_cast<const ChunkRecord&>(stretch[--n]), static_cast<const tailpack::Blocks&>(blocks));
    }
  }
  return Status::Success();
}
