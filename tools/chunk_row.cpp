#include "tools/chunk_row.h"

#include "store/log.h"

// The cells as the chunk list shows them: the number in plain decimal, sizes and positions in
// grouped digits.
ChunkRow MakeChunkRow(std::size_t number, const ChunkRecord& record, bool binary) {
  ChunkRow row;
  row.number = std::to_string(number);
  row.kind = KindText(record);
  row.type = ChunkTypeName(binary);
  row.size = Grouped(record.Length) + " B";
  row.offset = "@ " + Grouped(record.Offset);
  return row;
}

std::string_view ChunkTypeName(bool binary) {
  return binary ? "Binary" : "Text";
}
