#include "tools/chunk_row.h"

#include <algorithm>
#include <charconv>

#include "store/grouped.h"

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

char* PutChunkRowLine(std::size_t number, const ChunkRecord& record, bool binary, char* out) {
  out = std::to_chars(out, out + 20, number).ptr;
  *out++ = '\t';
  for (const char* kind = record.Kind; kind < record.Kind + 3 && *kind != '\0';) *out++ = *kind++;
  *out++ = '\t';
  std::string_view type = ChunkTypeName(binary);
  out = std::copy(type.begin(), type.end(), out);
  *out++ = '\t';
  out = PutGrouped(record.Length, out);
  *out++ = ' ';
  *out++ = 'B';
  *out++ = '\t';
  *out++ = '@';
  *out++ = ' ';
  out = PutGrouped(record.Offset, out);
  *out++ = '\n';
  return out;
}

void AppendChunkRowLine(std::size_t number, const ChunkRecord& record, bool binary, std::string& text) {
  char line[kMaxRowLine];
  text.append(line, static_cast<std::size_t>(PutChunkRowLine(number, record, binary, line) - line));
}

std::string_view ChunkTypeName(bool binary) {
  return binary ? "Binary" : "Text";
}
