// Cutting one chunk out of a file: its data and trailer go, the gap closes, nothing else moves.
#include <algorithm>
#include <cstring>

#include "store/edit.h"
#include "store/scan.h"

// Positions are clamped to the file, so a table that does not fit it can never make a piece
// reach outside the file.
std::vector<Piece> CutPieces(std::uint64_t size, const ChunkTable& table, std::size_t index) {
  if (index < 1 || index > table.size()) return {};
  std::uint64_t cutStart = std::min(table[index - 1].Offset - 1, size);
  std::uint64_t cutEnd = index < table.size() ? table[index].Offset - 1 : size;
  cutEnd = std::clamp(cutEnd, cutStart, size);
  std::vector<Piece> pieces;
  if (cutStart > 0) pieces.push_back(Piece{true, 0, cutStart, {}});
  if (cutEnd < size) pieces.push_back(Piece{true, cutEnd, size - cutEnd, {}});
  return pieces;
}

namespace {

bool SameRecord(const ChunkRecord& a, const ChunkRecord& b) {
  return a.Offset == b.Offset && a.Length == b.Length && std::memcmp(a.Kind, b.Kind, sizeof a.Kind) == 0;
}

// The file's chunks as they are now, oldest first, without logging.
Status ChunksNow(const ByteSource& source, ChunkTable& table) {
  std::uint64_t remaining = 0;
  Status status = WalkTailpack(source, [&table](const ChunkRecord& record) { table.push_back(record); }, remaining);
  std::reverse(table.begin(), table.end());
  return status;
}

}  // namespace

// Scans the file again and cuts only when it still holds exactly the chunks of table: another
// program may have changed it since the table was built, and cutting by stale offsets would
// corrupt it. An index outside the table is refused and leaves the content as it is.
// The cut relies on the trailer of the chunk cut out and on the newest one, where the walk
// starts; both must still be there when the content is written.
EditResult CutChunk(const std::string& path, const ChunkTable& table, std::size_t index) {
  EditResult result;
  SourceFile file;
  ByteSource source;
  result.status = OpenStampedSource(path, file, source);
  if (!result.status.ok()) return result;
  ChunkTable now;
  result.status = ChunksNow(source, now);
  if (!result.status.ok()) return result;
  if (!std::equal(now.begin(), now.end(), table.begin(), table.end(), SameRecord)) {
    result.status = Status::Error(std::string(kChangedOnDisk));
    return result;
  }
  const bool valid = index >= 1 && index <= table.size();
  result.status = ExpectLastTrailer(source, file);
  if (result.status.ok() && valid) result.status = ExpectTrailer(source, table[index - 1], file);
  if (!result.status.ok()) return result;
  result.content.sources.push_back(std::move(file));
  if (!valid) {
    result.content.pieces.push_back(Piece{true, 0, source.size, {}});
    return result;
  }
  result.content.pieces = CutPieces(source.size, table, index);
  result.changed = true;
  return result;
}

std::string CutChunkBytes(std::string_view bytes, const ChunkTable& table, std::size_t index) {
  if (index < 1 || index > table.size()) return std::string(bytes);
  std::string out;
  for (const Piece& piece : CutPieces(bytes.size(), table, index))
    out.append(bytes.substr(static_cast<std::size_t>(piece.offset), static_cast<std::size_t>(piece.length)));
  return out;
}
