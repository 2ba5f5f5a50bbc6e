// Splices turned into pieces or applied to bytes.
#include "store/splice.h"

std::vector<Piece> SplicePieces(std::uint64_t size, const std::vector<Splice>& splices) {
  std::vector<Piece> pieces;
  std::uint64_t copied = 0;  // the source is copied up to here
  auto copyTo = [&](std::uint64_t end) {
    if (end > copied) pieces.push_back(Piece{true, copied, end - copied, {}});
  };
  for (const Splice& splice : splices) {
    copyTo(splice.at);
    if (!splice.inserted.empty()) pieces.push_back(Piece{false, 0, 0, splice.inserted});
    copied = splice.at + splice.removed;
  }
  copyTo(size);
  return pieces;
}

std::string SplicedBytes(std::string_view bytes, const std::vector<Splice>& splices) {
  std::string out;
  for (const Piece& piece : SplicePieces(bytes.size(), splices)) {
    if (piece.fromSource) out.append(bytes.substr(piece.offset, piece.length));
    else out.append(piece.bytes);
  }
  return out;
}

std::uint64_t SplicedSize(std::uint64_t size, const std::vector<Splice>& splices) {
  for (const Splice& splice : splices) size = size - splice.removed + splice.inserted.size();
  return size;
}

Splice SetField32(std::uint64_t at, std::uint64_t value) {
  std::string field(4, '\0');
  for (int i = 0; i < 4; ++i) field[i] = static_cast<char>(value >> (8 * i));
  return Splice{at, 4, field};
}
