// The literal model on files worked out by hand: the differential test is only as good as it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/model/literal_model.h"
#include "tests/model/random_files.h"
#include "tests/support/pe_image.h"

namespace {

std::string Chunk(const std::string& data, const std::string& lengthField, const std::string& kind) {
  return data + lengthField + kind + "{TlPk}";
}

TEST(LiteralModel, ScansHandMadeFiles) {
  const std::string body(1000, 'M');
  struct Case {
    const char* what;
    std::string bytes;
    std::string table;  // as Describe prints it
    std::string stripped;
  } cases[] = {
      {"hello as TXT", body + Chunk("hello", "00000005", "TXT"), "(1001,5,'TXT')", body},
      {"short kind, lower-case digits", "ab" + Chunk(std::string(26, 'z'), "0000001a", " AB"), "(3,26,' AB')", "ab"},
      {"empty chunk between two", Chunk("x", "00000001", "ONE") + Chunk("", "00000000", "TWO") + Chunk("{TlPk}", "00000006", "3RD"),
       "(1,1,'ONE')(19,0,'TWO')(36,6,'3RD')", ""},
      {"marker case differs", body + "00000000ABC{TLPK}", "", body + "00000000ABC{TLPK}"},
      {"length larger than the file", "abc" + Chunk("", "FFFFFFFF", "BAD"), "(12,4294967295,'BAD')", "abcFFFFFFFF"},
      {"length field ending with the marker", "qFF{TlPk}KND{TlPk}", "(1,0,'qFF')(10,255,'KND')", ""},
      {"nothing but a marker", "{TlPk}", "(1,0,'')", ""},
      {"non-hex length reads as 0", "body" + Chunk("", "zz000005", "NUL"), "(5,0,'NUL')", "body"},
  };
  for (const Case& c : cases) {
    ChunkTable table;
    literal::Log log;
    literal::ScanBytes(c.bytes, "x.exe", table, &log);
    EXPECT_EQ(literal::Describe(table), c.table) << c.what;
    EXPECT_EQ(log.back(), std::to_string(table.size()) + " chunk(s) of data found>") << c.what;
    EXPECT_EQ(literal::StripBytes(c.bytes), c.stripped) << c.what;
  }
}

TEST(LiteralModel, AppendWritesTheTrailerAndRefuses) {
  struct Case {
    std::string kind, data, added;  // added: the bytes behind the executable, empty when refused
  } cases[] = {
      {"TXT", "hello", "hello00000005TXT{TlPk}"},
      {"AB", std::string(26, 'a'), std::string(26, 'a') + "0000001A AB{TlPk}"},
      {"", "d", "d00000001   {TlPk}"},
      {" AB", "d", "d00000001 AB{TlPk}"},
      {"ABCD", "d", ""},
      {"TXT", "", ""},
  };
  for (const Case& c : cases) {
    literal::Log log;
    std::string result = literal::AppendChunkBytes("EXE", c.kind, c.data, &log);
    EXPECT_EQ(result, "EXE" + c.added) << "kind '" << c.kind << "'";
    EXPECT_EQ(log.back(), c.added.empty() ? "Failed. Original file unchanged>" : "Done. New file is " + literal::Grouped(result.size()) + " Bytes>");
  }
}

TEST(LiteralModel, CutsOneChunkAndReadsChunks) {
  std::string bytes = "EXE" + Chunk("one", "00000003", "AAA") + Chunk("two!", "00000004", "BBB") + Chunk("3", "00000001", "CCC");
  ChunkTable table;
  literal::ScanBytes(bytes, "x", table, nullptr);
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(literal::ReadChunkBytes(bytes, table[1]), "two!");
  EXPECT_EQ(literal::CutChunk(bytes, table, 1), "EXE" + Chunk("two!", "00000004", "BBB") + Chunk("3", "00000001", "CCC"));
  EXPECT_EQ(literal::CutChunk(bytes, table, 3), bytes.substr(0, table[2].Offset - 1));
  EXPECT_EQ(literal::CutChunk(bytes, table, 0), bytes);
  EXPECT_EQ(literal::CutChunk(bytes, table, 4), bytes);
  ChunkRecord pastEnd{bytes.size(), 2, "AAA"};
  EXPECT_EQ(literal::ReadChunkBytes(bytes, pastEnd), "");
  ChunkRecord lastByte{bytes.size(), 1, "AAA"};
  EXPECT_EQ(literal::ReadChunkBytes(bytes, lastByte), "}");
}

// Signed executables worked out by hand: a PE32+ image whose headers end at 392 and whose own
// bytes end at 512, then a chunk added before signing, zero bytes, and the certificate table.
TEST(LiteralModel, ScansSignedLayouts) {
  using namespace pe_image;
  const std::string front = Chunk("hello", "00000005", "TXT");  // 512 to 534
  const std::string inside = std::string(4, '\0') + Chunk("abc", "00000003", "IN1");  // 24 bytes
  const std::string behind = std::string(5, '\0') + Chunk("xy", "00000002", "OLD");   // 24 bytes
  // The image, front, `zeros` zero bytes, then an entry of `blob` and `tail` whose directory
  // says it starts `shift` bytes later than it does.
  auto build = [&](std::size_t zeros, const std::string& blob, const std::string& tail, std::size_t shift = 0) {
    std::string bytes = MinimalPe(true) + front + std::string(zeros, '\0');
    std::string entry = CertificateEntry(blob);
    entry = entry.substr(0, 8 + blob.size()) + tail;  // no padding: tails here are multiples of 8
    Put(entry, 0, static_cast<std::uint32_t>(entry.size()), 4);
    SetSecurityDirectory(bytes, true, bytes.size() + shift, entry.size());
    return bytes + entry;
  };
  const std::string withAttribute = SignerBlob(17, 2, inside);  // 112 bytes: the entry ends with the chunk
  const std::string plainBlob = std::string("\x30\x06", 2) + "xxxxxx";
  struct Case {
    const char* what;
    std::string bytes;
    std::string table;
    std::uint64_t body;
  } cases[] = {
      {"in front and in the chunk attribute", build(2, withAttribute, ""), "(513,5,'TXT',F)(637,3,'IN1',S)", 512},
      {"behind a blob without a signer", build(2, plainBlob, behind), "(513,5,'TXT',F)(558,2,'OLD',S)", 512},
      {"8 zero bytes hide the front chunk", build(10, withAttribute, ""), "(645,3,'IN1',S)", 544},
      {"table not 8-aligned: from the end", build(3, withAttribute, ""), "(638,3,'IN1')", 637},
      {"table behind its directory's address: no table", build(2, withAttribute, "", 8), "(637,3,'IN1')", 636},
      {"blob reaching beyond its entry", build(2, "\x30\x7f" + std::string(6, 'x'), behind), "(558,2,'OLD')", 557},
  };
  for (const Case& c : cases) {
    ChunkTable table;
    literal::ScanBytes(c.bytes, "x.exe", table, nullptr);
    EXPECT_EQ(literal::Describe(table), c.table) << c.what;
    EXPECT_EQ(literal::BodyEnd(c.bytes), c.body) << c.what;
  }
}

TEST(RandomFiles, SameSeedSameFileAndIntactFilesHoldWhatWasAppended) {
  int damaged = 0;
  for (std::uint64_t seed = 1; seed <= 300; ++seed) {
    randomfiles::RandomFile a = randomfiles::MakeRandomFile(seed), b = randomfiles::MakeRandomFile(seed);
    ASSERT_EQ(a.bytes, b.bytes);
    damaged += !a.intact;
    if (!a.intact) continue;
    std::uint64_t size = a.body.size();
    for (const randomfiles::GeneratedChunk& c : a.chunks) size += c.data.size() + 17;
    EXPECT_EQ(a.bytes.size(), size) << a.notes;
    EXPECT_EQ(a.bytes.substr(0, a.body.size()), a.body) << a.notes;
  }
  EXPECT_GT(damaged, 30);  // the generator does damage files, not just in theory
}

}  // namespace
