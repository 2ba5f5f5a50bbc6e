// Replacing a chunk's data: each case's result against the file built with the new chunk in the
// old one's place, in plain and signed programs, and the requests that change nothing.
#include <gtest/gtest.h>

#include "store/replace.h"
#include "store/scan.h"
#include "store/wholefile.h"
#include "tests/store/helpers.h"
#include "tests/support/pe_image.h"

namespace {

using namespace pe_image;
using namespace std::string_literals;

std::string Chunk(const std::string& data, const std::string& kind) { return data + MakeTrailer(data.size(), kind); }

// A signed program built from its parts: chunks in front of the table (added before signing, the
// table 8-byte aligned behind them), then chunks inside the table, each behind the zero padding
// that keeps the table a multiple of 8, with the directory's size and dwLength covering them.
std::string SignedWith(const std::vector<std::string>& front, const std::vector<std::string>& inside) {
  std::string bytes = MinimalPe(true);
  for (const std::string& chunk : front) bytes += chunk;
  bytes.append((8 - bytes.size() % 8) % 8, '\0');
  const std::uint64_t tableAt = bytes.size();
  bytes = Signed(bytes);
  for (const std::string& chunk : inside) bytes += std::string((8 - chunk.size() % 8) % 8, '\0') + chunk;
  SetSecurityDirectory(bytes, true, tableAt, bytes.size() - tableAt);
  Put(bytes, tableAt, static_cast<std::uint32_t>(bytes.size() - tableAt), 4);
  return bytes;
}

TEST(Replace, NewDataInTheOldPlace) {
  const std::string exe = "MZ program bytes";
  const std::string a = Chunk("alpha", "ONE"), b = Chunk("bb", " AB"), c = Chunk("gamma!", "TRE");
  const std::string odd = "x" + MakeTrailer(1, "A\0B"s);  // a kind with a NUL byte keeps all three bytes
  const std::string one = Chunk("a", "ONE"), seven = Chunk("1234567", "TWO"), twenty = Chunk(std::string(20, 'c'), "TRE");
  const std::string front1 = Chunk("abc", "FR1"), front2 = Chunk("xy", "FR2"), in = Chunk("in", "INS");
  struct Case {
    const char* name;
    std::string before;
    std::size_t index;
    std::string data, after;
    bool breaks;
  };
  const Case cases[] = {
      {"middle, longer", exe + a + b + c, 2, "a longer text", exe + a + Chunk("a longer text", " AB") + c, false},
      {"oldest, shorter", exe + a + b + c, 1, "z", exe + Chunk("z", "ONE") + b + c, false},
      {"newest, same size", exe + a + b + c, 3, "GAMMA?", exe + a + b + Chunk("GAMMA?", "TRE"), false},
      {"kind with NUL", exe + odd, 1, "yz", exe + "yz" + MakeTrailer(2, "A\0B"s), false},
      {"binary data", exe + a, 1, "\0\x01\xff"s, exe + Chunk("\0\x01\xff"s, "ONE"), false},
      {"inside table, padding 0 to 6", SignedWith({}, {one, seven, twenty}), 2, "q",
       SignedWith({}, {one, Chunk("q", "TWO"), twenty}), false},
      {"inside table, newest", SignedWith({}, {one, seven, twenty}), 3, std::string(9, 'n'),
       SignedWith({}, {one, seven, Chunk(std::string(9, 'n'), "TRE")}), false},
      {"in front, table moves", SignedWith({front1, front2}, {in}), 1, "longer front data",
       SignedWith({Chunk("longer front data", "FR1"), front2}, {in}), true},
      {"in front, newest", SignedWith({front1, front2}, {in}), 2, "w", SignedWith({front1, Chunk("w", "FR2")}, {in}),
       true},
      {"signed, table holds no chunks", Signed(MinimalPe(true)) + a, 1, "beta", "", true},
  };
  ScratchDir dir;
  const std::string path = dir.File("app.exe"), dataPath = dir.File("data.bin");
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    std::string expected = test.after;
    if (expected.empty()) {  // a table that cannot hold chunks: its program is plain
      std::string lying = Signed(MinimalPe(true));
      Put(lying, 512, 56, 4);
      PutFile(path, lying + a);
      expected = lying + Chunk(test.data, "ONE");
    } else {
      PutFile(path, test.before);
    }
    const std::string before = GetFile(path);
    ChunkTable table;
    ASSERT_TRUE(ScanTailpack(path, table).ok());
    PutFile(dataPath, test.data);
    SourceFile data;
    ASSERT_TRUE(StampSource(dataPath, data).ok());
    EditResult edit = ReplaceChunk(path, table, test.index, data);
    ASSERT_TRUE(edit.status.ok()) << edit.status.message;
    EXPECT_TRUE(edit.changed);
    EXPECT_EQ(edit.breaksSignature, test.breaks);
    EXPECT_EQ(ReplaceChunkBytes(before, table, test.index, test.data), expected);
    ASSERT_TRUE(WriteWholeFile(edit.content, path).ok());
    EXPECT_EQ(GetFile(path), expected);
  }
}

TEST(Replace, RefusesWhatItCannotDo) {
  ScratchDir dir;
  const std::string path = dir.File("app.exe"), dataPath = dir.File("data.bin"), empty = dir.File("empty.bin");
  const std::string bytes = "MZ" + Chunk("one", "ONE") + Chunk("two", "TWO");
  PutFile(path, bytes);
  PutFile(dataPath, "new");
  PutFile(empty, "");
  ChunkTable table;
  ASSERT_TRUE(ScanTailpack(path, table).ok());
  SourceFile data, none;
  ASSERT_TRUE(StampSource(dataPath, data).ok());
  ASSERT_TRUE(StampSource(empty, none).ok());
  for (std::size_t index : {0, 3}) {
    EditResult edit = ReplaceChunk(path, table, index, data);
    EXPECT_TRUE(edit.status.ok());
    EXPECT_FALSE(edit.changed) << index;
    EXPECT_EQ(ReplaceChunkBytes(bytes, table, index, "new"), bytes);
  }
  EXPECT_FALSE(ReplaceChunk(path, table, 1, none).changed);
  EXPECT_EQ(ReplaceChunkBytes(bytes, table, 1, ""), bytes);
  ChunkTable stale = table;
  stale[0].Length = 2;
  EditResult edit = ReplaceChunk(path, stale, 1, data);
  EXPECT_EQ(edit.status.message, kChangedOnDisk);
  EXPECT_EQ(ReplaceChunkBytes(bytes, stale, 1, "new"), bytes);
  EXPECT_EQ(GetFile(path), bytes);
}

}  // namespace
