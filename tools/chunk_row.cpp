#include "tools/chunk_row.h"

#include <cstring>

#include "store/log.h"

// The cells as the chunk list shows them: the number in plain decimal, sizes and positions in
// grouped digits.
ChunkRow MakeChunkRow(std::size_t number, const ChunkRecord& record, bool binary) {
  ChunkRow row;
  row.number = std::to_string(number);
  row.kind = KindText(record);
  row.type = ChunkTypeName(binary);
  row.size = Grouped(record.Length).append(" B");
  row.offset = Grouped(record.Offset).insert(0, "@ ");
  return row;
}

void AppendChunkRowLine(std::size_t number, const ChunkRecord& record, bool binary, std::string& text) {
  char line[3 * kGroupedMax + 32];
  char* end = line + sizeof line;
  char* at = end;
  *--at = '\n';
  at = GroupedInto(record.Offset, at);
  *--at = ' ';
  *--at = '@';
  *--at = '\t';
  *--at = 'B';
  *--at = ' ';
  at = GroupedInto(record.Length, at);
  *--at = '\t';
  std::string_view type = ChunkTypeName(binary);
  for (std::size_t i = type.size(); i-- > 0;) *--at = type[i];
  *--at = '\t';
  for (std::size_t i = std::strlen(record.Kind); i-- > 0;) *--at = record.Kind[i];
  *--at = '\t';
  do *--at = static_cast<char>('0' + number % 10);
  while ((number /= 10) != 0);
  text.append(at, static_cast<std::size_t>(end - at));
}

std::string_view ChunkTypeName(bool binary) {
  return binary ? "Binary" : "Text";
}
