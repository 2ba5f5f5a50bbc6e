// The trailer walk, the scan and its log, the number formats, and offsets past 4 GiB.
#include <gtest/gtest.h>

#include <cstring>

#include "store/edit.h"
#include "store/grouped.h"
#include "store/plan.h"
#include "store/scan.h"
#include "store/tailpack.h"
#include "store/walk.h"
#include "tests/store/helpers.h"
#include "tests/support/read_chunk.h"
#include "tests/support/walk_tailpack.h"

namespace {

using namespace std::string_literals;

struct Expected {
  std::uint64_t offset;
  std::uint32_t length;
  std::string kind;
};

ChunkTable Walk(const tp_source& source, std::uint64_t& remaining) {
  ChunkTable table;
  Status status = WalkTailpack(source, [&table](const ChunkRecord& r) { table.insert(table.begin(), r); }, remaining);
  EXPECT_TRUE(status.ok()) << status.message;
  return table;
}

TEST(Walk, FindsChunksByTrailersOnly) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<Expected> records;  // oldest first
    std::uint64_t remaining;
  };
  const Case cases[] = {
      {"empty file", "", {}, 0},
      {"shorter than the marker", "{TlPk", {}, 5},
      {"marker compared exactly", "exe00000000ABC{TlPK}", {}, 20},
      {"file is just the marker", "{TlPk}", {{1, 0, ""}}, 0},
      {"marker and one kind byte", "x{TlPk}", {{1, 0, "x"}}, 0},
      {"one chunk", "MZxxhello00000005TXT{TlPk}", {{5, 5, "TXT"}}, 4},
      {"marker inside data", "EXEa{TlPk}b00000008BIN{TlPk}", {{4, 8, "BIN"}}, 3},
      {"marker inside the executable", "{TlPk}EXE", {}, 9},
      {"lower-case length", "e"s + std::string(26, 'q') + "0000001aLOW{TlPk}", {{2, 26, "LOW"}}, 1},
      {"short kind keeps its space", "xhi00000002 AB{TlPk}", {{2, 2, " AB"}}, 1},
      {"kind cut at a NUL", "data00000004A\0B{TlPk}"s, {{1, 4, "A"}}, 0},
      {"empty chunk", "exe00000000NUL{TlPk}", {{4, 0, "NUL"}}, 3},
      {"length stops at a non-digit", "ab12 xxxxxKND{TlPk}"s, {{11, 0x12, "KND"}}, 10},
      {"damaged length larger than the front", "ab0000FFFFBAD{TlPk}", {{11, 0xFFFF, "BAD"}}, 10},
      {"16 bytes, length field cut short", "0000003ABC{TlPk}", {{8, 3, "ABC"}}, 7},
      {"damaged trailer whose length field ends with the marker",
       "exyz00000003 DD{TlPk}KND{TlPk}",
       {{2, 3, " DD"}, {22, 0xDD, "KND"}},
       1},
      {"three chunks oldest first",
       "EXE" + "a"s + MakeTrailer(1, "ONE") + "bb" + MakeTrailer(2, "TWO") + MakeTrailer(0, "3"),
       {{4, 1, "ONE"}, {22, 2, "TWO"}, {41, 0, "  3"}},
       3},
  };
  for (const Case& c : cases) {
    std::uint64_t remaining = 0;
    ChunkTable table = Walk(tp_memory_source(c.bytes.data(), c.bytes.size()), remaining);
    ASSERT_EQ(table.size(), c.records.size()) << c.name;
    for (std::size_t i = 0; i < table.size(); ++i) {
      EXPECT_EQ(table[i].Offset, c.records[i].offset) << c.name << " #" << i;
      EXPECT_EQ(table[i].Length, c.records[i].length) << c.name << " #" << i;
      EXPECT_EQ(KindText(table[i]), c.records[i].kind) << c.name << " #" << i;
    }
    EXPECT_EQ(remaining, c.remaining) << c.name;
    EXPECT_EQ(StripTailpackBytes(c.bytes), c.bytes.substr(0, c.remaining)) << c.name;
  }
}

TEST(Format, LengthFieldAndTrailer) {
  const std::pair<std::string, std::uint32_t> fields[] = {
      {"00000005", 5},   {"0000001a", 26},         {"0000001A", 26}, {"FFFFFFFF", 0xFFFFFFFF},
      {"12 45678", 0x12}, {"0000001g", 1},         {"zz", 0},        {"", 0},
  };
  for (const auto& [field, value] : fields) EXPECT_EQ(tp_parse_length(field.data(), field.size()), value) << field;

  EXPECT_EQ(MakeTrailer(5, "TXT"), "00000005TXT{TlPk}");
  EXPECT_EQ(MakeTrailer(26, "AB"), "0000001A AB{TlPk}");
  EXPECT_EQ(MakeTrailer(0, ""), "00000000   {TlPk}");
  EXPECT_EQ(MakeTrailer(0xFFFFFFFF, "Z"), "FFFFFFFF  Z{TlPk}");
}

TEST(Format, GroupedAndBinary) {
  const std::pair<std::uint64_t, const char*> numbers[] = {
      {0, "0"},           {999, "999"},       {1000, "1,000"}, {1022, "1,022"}, {123456, "123,456"},
      {1234567, "1,234,567"}, {5368709120, "5,368,709,120"}, {UINT64_MAX, "18,446,744,073,709,551,615"},
  };
  for (const auto& [n, text] : numbers) EXPECT_EQ(Grouped(n), text);

  EXPECT_TRUE(IsBinaryChunk("abc\0"s));
  EXPECT_TRUE(IsBinaryChunk("\0abc"s));
  EXPECT_FALSE(IsBinaryChunk(""));
  EXPECT_FALSE(IsBinaryChunk("tab\tcr\rlf\n\xe9\xff"));
}

TEST(Scan, FileLogsAndTable) {
  ScratchDir dir;
  std::string path = dir.File("app.exe");
  std::string exe(1000, 'M');
  PutFile(path, exe + "hello" + MakeTrailer(5, "TXT") + MakeTrailer(0, "AB"));

  LogCapture log;
  ChunkTable table;
  ASSERT_TRUE(ScanTailpack(path, table).ok());
  const std::vector<std::string> lines = {
      "<Parsing Tailpack of file " + path + " (1,039 Bytes)",
      "- Found a chunk of data, of type ' AB', at address 1,023 (length: 0 Bytes)",
      "- Found a chunk of data, of type 'TXT', at address 1,001 (length: 5 Bytes)",
      "2 chunk(s) of data found>",
  };
  EXPECT_EQ(log.lines, lines);
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(ReadChunk(path, table[0]), "hello");
  EXPECT_EQ(ReadChunk(path, table[1]), "");

  ChunkTable again;
  ASSERT_TRUE(ScanTailpack(path, again).ok());
  ASSERT_EQ(again.size(), table.size());
  for (std::size_t i = 0; i < table.size(); ++i) EXPECT_EQ(again[i], table[i]);

  // A record that does not fit the file reads as nothing, with the reason.
  std::string bytes;
  ChunkRecord beyond{1036, 5, "TXT"};
  EXPECT_FALSE(TryReadChunk(path, beyond, bytes).ok());
  EXPECT_EQ(ReadChunk(path, ChunkRecord{0, 1, "X"}), "");
  EXPECT_EQ(ReadChunk(path, ChunkRecord{1040, 0, "X"}), "");
}

// The Text/Binary test, alone and during the scan, must give the answer of testing the whole
// chunk whatever the block edges: a zero on either side of a 1 MiB test block or a walk block,
// none at all, small chunks straddling a walk block, chunks that do not fit the file.
TEST(Scan, TypesAcrossBlockEdges) {
  ScratchDir dir;
  std::string path = dir.File("big.exe");
  const std::size_t kTest = std::size_t{1} << 20, kWalk = TP_BLOCK_SIZE;
  const std::size_t kNone = std::string::npos;
  for (std::size_t zeroAt : {std::size_t{0}, kTest - 1, kTest, 2 * kTest + 5, 2 * kTest + 10 - kWalk, kNone}) {
    std::string data(2 * kTest + 10, 'a');
    if (zeroAt != kNone) data[zeroAt] = '\0';
    PutFile(path, "MZ" + data + MakeTrailer(data.size(), "BIN"));
    ChunkTable table;
    std::vector<bool> types;
    ASSERT_TRUE(ScanTailpackTypes(path, table, types).ok());
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(ChunkIsBinary(path, table[0]), zeroAt != kNone) << zeroAt;
    EXPECT_EQ(types[0], zeroAt != kNone) << zeroAt;
  }
  EXPECT_FALSE(ChunkIsBinary(path, ChunkRecord{3, 4000000, "BIN"}));  // beyond the end: unreadable
  EXPECT_FALSE(ChunkIsBinary(dir.File("gone.exe"), ChunkRecord{1, 1, "BIN"}));

  // A damaged trailer first, whose 512 KiB of "data" begin at its length field and reach far
  // behind the block that holds it; then about 11 walk blocks of chunks of 0 to 40 bytes, the
  // first 3,000 of them text, a fifth of the others with a zero.
  std::string file = "MZ0007FFFFDMG{TlPk}";
  std::uint64_t state = 7;
  for (int i = 0; i < 20000; ++i) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    std::string data(static_cast<std::size_t>(state >> 59) + (state >> 63) * 9, 't');
    if (i >= 3000 && !data.empty() && (state >> 20) % 5 == 0) data[(state >> 24) % data.size()] = '\0';
    file += data + MakeTrailer(data.size(), "SML");
  }
  PutFile(path, file);
  ChunkTable table;
  std::vector<bool> types;
  ASSERT_TRUE(ScanTailpackTypes(path, table, types).ok());
  ASSERT_EQ(table.size(), 20001u);
  ASSERT_EQ(types.size(), table.size());
  for (std::size_t i = 0; i < table.size(); ++i) ASSERT_EQ(types[i], IsBinaryChunk(ReadChunk(path, table[i]))) << i;

  // The listing that holds no table hands over the same records and types, oldest first.
  std::size_t row = 0;
  ASSERT_TRUE(ScanTailpackRows(path, [&](const ChunkRecord& record, bool binary) {
                ASSERT_LT(row, table.size());
                EXPECT_EQ(record, table[row]) << row;
                EXPECT_EQ(binary, types[row]) << row;
                ++row;
              }).ok());
  EXPECT_EQ(row, table.size());
}

TEST(Scan, EmptyMissingAndUnreadable) {
  ScratchDir dir;
  PutFile(dir.File("empty"), "");
  {
    LogCapture log;
    ChunkTable table;
    EXPECT_TRUE(ScanTailpack(dir.File("empty"), table).ok());
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(log.lines.back(), "0 chunk(s) of data found>");
  }
  {
    LogCapture log;
    ChunkTable table(1);
    EXPECT_EQ(ScanTailpack(dir.File("missing"), table).code, Status::Code::Missing);
    EXPECT_EQ(table.size(), 1u);
    EXPECT_TRUE(log.lines.empty());
    EXPECT_EQ(ReadChunk(dir.File("missing"), ChunkRecord{1, 0, ""}), "");
  }
  ChunkTable table;
  EXPECT_EQ(ScanTailpack(dir.path.string(), table).code, Status::Code::Failed);  // a folder exists but cannot be read
}

// A source of 5 GiB of zeros followed by real tail bytes, counting what is read.
struct VirtualSource {
  static constexpr std::uint64_t kBody = std::uint64_t{5} << 30;
  std::string tail;
  std::uint64_t bytesRead = 0;
  tp_source Source() {
    tp_source source{};
    source.size = kBody + tail.size();
    source.context = this;
    source.read_at = [](void* context, std::uint64_t offset, void* out, std::size_t n, tp_error*) {
      VirtualSource& self = *static_cast<VirtualSource*>(context);
      self.bytesRead += n;
      char* to = static_cast<char*>(out);
      for (std::size_t i = 0; i < n; ++i) to[i] = offset + i < kBody ? '\0' : self.tail[offset + i - kBody];
      return 0;
    };
    return source;
  }
};

TEST(Walk, OffsetsPastFourGiBAndReadsOnlyTrailers) {
  VirtualSource big;
  big.tail = MakeTrailer(0xFFFFFFFF, "BIG") + "hello" + MakeTrailer(5, "TXT") + MakeTrailer(0, "NUL");
  std::uint64_t remaining = 0;
  ChunkTable table = Walk(big.Source(), remaining);
  ASSERT_EQ(table.size(), 3u);
  // The 4 GiB chunk's data are the last 0xFFFFFFFF zeros of the body.
  const std::uint64_t body = VirtualSource::kBody;
  EXPECT_EQ(table[0].Offset, body - 0xFFFFFFFFull + 1);
  EXPECT_EQ(table[0].Length, 0xFFFFFFFFu);
  EXPECT_EQ(table[1].Offset, body + 18);
  EXPECT_EQ(table[2].Offset, body + 40);
  EXPECT_EQ(remaining, body - 0xFFFFFFFFull);
  EXPECT_LE(big.bytesRead, 2 * TP_BLOCK_SIZE + 64);  // the DOS header, the block at the end, the one in front of the big chunk

  // Cutting the middle chunk keeps everything in front and behind it, with 64-bit positions.
  EditPlan plan;
  ASSERT_TRUE(PlanCut(big.Source(), table, 2, plan).ok());
  std::vector<Piece> pieces = SplicePieces(big.Source().size, plan.splices);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].length, table[1].Offset - 1);
  EXPECT_EQ(pieces[1].offset, table[2].Offset - 1);
  Content content{{}, pieces};
  EXPECT_EQ(ContentSize(content), big.Source().size - table[1].Length - TP_TRAILER_SIZE);
}

}  // namespace
