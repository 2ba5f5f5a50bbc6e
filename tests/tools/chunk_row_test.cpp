#include "tools/chunk_row.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using namespace std::string_view_literals;

ChunkRecord Record(std::uint64_t offset, std::uint32_t length, const char* kind) {
  ChunkRecord record;
  record.Offset = offset;
  record.Length = length;
  std::snprintf(record.Kind, sizeof record.Kind, "%s", kind);
  return record;
}

TEST(MakeChunkRow, FormatsTheFiveCells) {
  struct Case {
    std::size_t number;
    ChunkRecord record;
    std::string_view data;
    ChunkRow row;
  };
  const Case cases[] = {
      {1, Record(1025, 2048, "TXT"), "hello"sv, {"1", "TXT", "Text", "2,048 B", "@ 1,025"}},
      {12, Record(1, 0, " AB"), ""sv, {"12", " AB", "Text", "0 B", "@ 1"}},
      {3, Record(999, 999, "BIN"), "ab\0"sv, {"3", "BIN", "Binary", "999 B", "@ 999"}},
      {4, Record(1000, 1000, "x"), "\0"sv, {"4", "x", "Binary", "1,000 B", "@ 1,000"}},
      {5, Record(5000000000ull, 4294967295u, "BIG"), "\t\r\n\xFF"sv,
       {"5", "BIG", "Text", "4,294,967,295 B", "@ 5,000,000,000"}},
  };
  for (const Case& c : cases) {
    ChunkRow row = MakeChunkRow(c.number, c.record, IsBinaryChunk(c.data));
    EXPECT_EQ(row.number, c.row.number);
    EXPECT_EQ(row.kind, c.row.kind);
    EXPECT_EQ(row.type, c.row.type) << c.row.number;
    EXPECT_EQ(row.size, c.row.size);
    EXPECT_EQ(row.offset, c.row.offset);
  }
}

}  // namespace
