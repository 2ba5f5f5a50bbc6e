// Size of a file's new content described as pieces.
#include "store/content.h"

std::uint64_t ContentSize(const Content& content) {
  std::uint64_t size = 0;
  for (const Piece& piece : content.pieces) size += piece.fromSource ? piece.length : piece.bytes.size();
  return size;
}
