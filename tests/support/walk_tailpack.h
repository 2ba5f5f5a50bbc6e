#pragma once
// The store's walk (store/walk.h) as a list of records, for tests.
#include <cstdint>
#include <functional>

#include "store/walk.h"

// Walks the trailers back from the end of source, newest chunk first, calling visit for each
// record found. Returns in `remaining` where the walk of the oldest chunks stopped: the number of
// bytes in front of the oldest chunk (the executable's own bytes) in a file read from its end.
inline Status WalkTailpack(const tp_source& source, const std::function<void(const ChunkRecord&)>& visit,
                           std::uint64_t& remaining) {
  remaining = source.size;
  return WalkTrailers(
      source,
      [&](const tp_trailer& trailer, const tp_blocks&) {
        visit(RecordOf(trailer));
        return true;
      },
      nullptr, &remaining);
}
