#pragma once
// The store's walk: the format core's (reader/tailpack.h) over a tp_source, so that the store and
// the reader share one walk and one rule for signed executables and find the same chunks at the
// same positions.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/status.h"
#include "store/source.h"
#include "store/tailpack.h"

// The record of a chunk the walk found: the kind keeps the bytes as stored, and a NUL among them
// ends KindText there.
inline void SetRecord(const tp_trailer& trailer, ChunkRecord& record) {
  record.Offset = trailer.offset + 1;
  record.Length = trailer.length;
  const std::size_t n = std::min<std::size_t>(trailer.kind_size, kKindSize);
  std::memcpy(record.Kind, trailer.kind, n);
  std::memset(record.Kind + n, 0, sizeof record.Kind - n);  // Kind[3] stays NUL
  record.Place = trailer.place;
}
inline ChunkRecord RecordOf(const tp_trailer& trailer) {
  ChunkRecord record;
  SetRecord(trailer, record);
  return record;
}

// Where the chunks of a file stand: its certificate table, and the regions the walk goes through
// (newest first).
struct FileLayout {
  tp_certificate_table table{};
  tp_region regions[2]{};
  int count = 0;
};
inline FileLayout LayoutOf(const tp_walk& walk) {
  return FileLayout{walk.table, {walk.regions[0], walk.regions[1]}, walk.count};
}

// The core's walk over a source, and the buffer it reads its blocks into (none for bytes in memory).
struct SourceWalk {
  // Reads the PE headers and the certificate table, and finds the regions.
  Status Start(const tp_source& source);
  std::unique_ptr<char[]> buffer;
  tp_walk core{};
};

// Walks the region [floor, end) newest first, handing visit each chunk and the blocks its trailer
// was read from; visit answers false to stop. Fails with the reason of a failed read.
template <typename Visit>
Status WalkRegion(tp_blocks& blocks, std::uint64_t floor, std::uint64_t end, tp_place place, Visit&& visit) {
  tp_trailer trailer;
  tp_error error;
  for (std::uint64_t remaining = end;;) {
    int got = tp_walk_step(&blocks, floor, &remaining, place, &trailer, &error);
    if (got < 0) return SourceError(error);
    if (got == 0 || !visit(static_cast<const tp_trailer&>(trailer), static_cast<const tp_blocks&>(blocks)))
      return Status::Success();
  }
}

// Walks the chunks of source newest first, region by region, handing visit(const tp_trailer&,
// const tp_blocks&) each chunk and the blocks its trailer was read from (so that a small chunk's
// bytes can be looked at without another read); visit answers false to stop. The layout found is
// stored in *layout when given, and where the walk of the oldest region stopped in *body. The
// regions are walked here with tp_walk_step rather than through tp_walk_next, whose state lives
// in memory: this loop keeps it in registers, which counting a million chunks notices.
template <typename Visit>
Status WalkTrailers(const tp_source& source, Visit&& visit, FileLayout* layout = nullptr,
                    std::uint64_t* body = nullptr) {
  SourceWalk walk;
  Status status = walk.Start(source);
  if (!status.ok()) return status;
  const FileLayout found = LayoutOf(walk.core);
  if (layout) *layout = found;
  std::uint64_t stopped = source.size;
  bool stop = false;
  for (int r = 0; r < found.count && !stop; ++r) {
    const tp_region& region = found.regions[r];
    stopped = region.end;
    status = WalkRegion(walk.core.blocks, region.floor, region.end, region.place,
                        [&](const tp_trailer& trailer, const tp_blocks& blocks) {
                          stopped = trailer.start;
                          stop = !visit(trailer, blocks);
                          return !stop;
                        });
    if (!status.ok()) return status;
  }
  if (body) *body = stopped;
  return Status::Success();
}

// Walks the chunks of source oldest first without holding them all. A first walk, newest first,
// hands each chunk to newest(const tp_trailer&) and notes where every 64th chunk of each region
// ends; then each stretch between two notes is walked again, the oldest region and stretch first,
// and its records are handed to oldest(record, blocks) in file order. Holds 8 bytes per 64 chunks
// and reads the trailers twice; a stretch of small chunks is read as one block.
template <typename Newest, typename Oldest>
Status WalkRecordsOldestFirst(const tp_source& source, Newest&& newest, Oldest&& oldest) {
  constexpr std::size_t kStretch = 64;
  SourceWalk walk;
  Status status = walk.Start(source);
  if (!status.ok()) return status;
  const FileLayout layout = LayoutOf(walk.core);
  tp_blocks& blocks = walk.core.blocks;
  std::vector<std::uint64_t> notes[2];  // stretch k of region r ends at notes[r][k]
  std::uint64_t count[2] = {}, bottom[2] = {};  // bottom: where the first walk of the region stopped
  for (int r = 0; r < layout.count; ++r) {
    const tp_region& region = layout.regions[r];
    notes[r].push_back(region.end);
    bottom[r] = region.end;
    status = WalkRegion(blocks, region.floor, region.end, region.place, [&](const tp_trailer& trailer, const tp_blocks&) {
      if (count[r] > 0 && count[r] % kStretch == 0) notes[r].push_back(trailer.end);
      ++count[r];
      bottom[r] = trailer.start;
      newest(trailer);
      return true;
    });
    if (!status.ok()) return status;
  }
  ChunkRecord stretch[kStretch];
  tp_error error;
  for (int r = layout.count; r-- > 0;) {
    const tp_region& region = layout.regions[r];
    for (std::size_t k = notes[r].size(); count[r] > 0 && k-- > 0;) {
      std::uint64_t low = k + 1 < notes[r].size() ? notes[r][k + 1] : bottom[r];
      if (!tp_blocks_holds(&blocks, low, notes[r][k] - low) && notes[r][k] - low <= TP_BLOCK_SIZE &&
          tp_blocks_load(&blocks, low, &error) != 0)
        return SourceError(error);
      std::size_t n = 0;
      status = WalkRegion(blocks, region.floor, notes[r][k], region.place, [&](const tp_trailer& trailer, const tp_blocks&) {
        SetRecord(trailer, stretch[n++]);
        return n < kStretch;
      });
      if (!status.ok()) return status;
      while (n > 0) oldest(static_cast<const ChunkRecord&>(stretch[--n]), static_cast<const tp_blocks&>(blocks));
    }
  }
  return Status::Success();
}

// The certificate table of source.
Status FindCertificateTable(const tp_source& source, tp_certificate_table& table);
