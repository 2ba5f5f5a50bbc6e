// Adding, clearing and cutting chunks: byte results, log lines, and missing or unreadable files.
#include <gtest/gtest.h>

#include "store/edit.h"
#include "store/scan.h"
#include "store/wholefile.h"
#include "tests/store/fault_files.h"
#include "tests/store/helpers.h"
#include "tests/support/pe_image.h"
#include "tests/support/read_chunk.h"
#include "tests/support/walk_tailpack.h"

namespace {

using namespace std::string_literals;

// Writes an edit's content over path and returns the file's bytes afterwards.
std::string Apply(const EditResult& edit, const std::string& path) {
  EXPECT_TRUE(edit.status.ok()) << edit.status.message;
  Status status = WriteWholeFile(edit.content, path);
  EXPECT_TRUE(status.ok()) << status.message;
  return GetFile(path);
}

TEST(Append, BytesForm) {
  struct Case {
    std::string kind, data, expected;  // expected: what follows the executable; "" means refused
  };
  const Case cases[] = {
      {"TXT", "hello", "hello00000005TXT{TlPk}"},
      {"AB", "x", "x00000001 AB{TlPk}"},
      {"", "x", "x00000001   {TlPk}"},
      {" AB", "x", "x00000001 AB{TlPk}"},  // three characters: accepted, then trimmed
      {"ABCD", "x", ""},
      {" ABC", "x", ""},
      {"TXT", "", ""},
      {"BIN", std::string(26, '\0'), std::string(26, '\0') + "0000001ABIN{TlPk}"},
      {"MRK", "a{TlPk}b", "a{TlPk}b00000008MRK{TlPk}"},
  };
  const std::string exe = "MZ\0\x90 body {TlPk"s;
  for (const Case& c : cases) {
    std::string result = AppendChunkBytes(std::string_view(exe), c.kind, c.data);
    EXPECT_EQ(result, exe + c.expected) << "kind '" << c.kind << "'";
    if (c.expected.empty()) continue;
    ChunkTable table;
    std::uint64_t remaining = 0;
    WalkTailpack(tp_memory_source(result.data(), result.size()), [&table](const ChunkRecord& r) { table.push_back(r); }, remaining);
    ASSERT_EQ(table.size(), 1u);
    EXPECT_EQ(remaining, exe.size());
    EXPECT_EQ(result.substr(table[0].Offset - 1, table[0].Length), c.data);
  }
}

TEST(Append, LogLines) {
  LogCapture log;
  AppendChunkBytes(std::string_view(std::string(1000, 'M')), "TXT", "hello");
  AppendChunkBytes(std::string_view("MZ"), "LONG", "hello");
  const std::vector<std::string> lines = {
      "<Adding Tailpack to unnamed executable (1,000 Bytes)",
      "- Trying to add a chunk of data, of type 'TXT' and length 5 Bytes",
      "Done. New file is 1,022 Bytes>",
      "<Adding Tailpack to unnamed executable (2 Bytes)",
      "- Trying to add a chunk of data, of type 'LONG' and length 5 Bytes",
      "Failed. Original file unchanged>",
  };
  EXPECT_EQ(log.lines, lines);
}

TEST(Append, PathFormKeepsExistingChunks) {
  ScratchDir dir;
  std::string path = dir.File("app.exe");
  std::string before = "EXE" + "one"s + MakeTrailer(3, "ONE");
  PutFile(path, before);

  LogCapture log;
  EditResult edit = AppendChunk(path, "TWO", "second");
  EXPECT_TRUE(edit.changed);
  EXPECT_EQ(Apply(edit, path), before + "second" + MakeTrailer(6, "TWO"));
  EXPECT_EQ(log.lines.front(), "<Adding Tailpack to file " + path + " (23 Bytes)");
  EXPECT_EQ(log.lines.back(), "Done. New file is 46 Bytes>");

  ChunkTable table;
  ASSERT_TRUE(ScanTailpack(path, table).ok());
  ASSERT_EQ(table.size(), 2u);
  EXPECT_EQ(table[0].Offset, 4u);
  EXPECT_EQ(ReadChunk(path, table[1]), "second");

  // Refused: nothing to write, the content is the file as it is.
  EditResult refused = AppendChunk(path, "TXT", "");
  EXPECT_TRUE(refused.status.ok());
  EXPECT_FALSE(refused.changed);
  EXPECT_EQ(ContentSize(refused.content), 46u);
}

// A vanished or unreadable executable must never become an empty file or lose its bytes: every
// edit reports the failure instead of content to write.
TEST(Edits, MissingAndUnreadableAreErrors) {
  ScratchDir dir;
  std::string file = dir.File("app.exe");
  PutFile(file, "EXE" + "a"s + MakeTrailer(1, "ONE"));
  ChunkTable table;
  ASSERT_TRUE(ScanTailpack(file, table).ok());

  struct Case {
    const char* name;
    std::function<EditResult(const std::string&)> edit;
  };
  const Case cases[] = {
      {"append", [](const std::string& p) { return AppendChunk(p, "TXT", "x"); }},
      {"strip", [](const std::string& p) { return StripTailpack(p); }},
      {"cut", [&table](const std::string& p) { return CutChunk(p, table, 1); }},
  };
  for (const Case& c : cases) {
    LogCapture log;
    EXPECT_EQ(c.edit(dir.File("missing.exe")).status.code, Status::Code::Missing) << c.name;
    EXPECT_TRUE(log.lines.empty()) << c.name;
    EXPECT_EQ(c.edit(dir.path.string()).status.code, Status::Code::Failed) << c.name;
    ArmFault(1);  // the file exists, but opening it fails
    EXPECT_EQ(c.edit(file).status.code, Status::Code::Failed) << c.name;
    ArmFault(0);
  }
  EXPECT_FALSE(FileExists(dir.File("missing.exe")));

  ChunkTable untouched;
  ArmFault(2);
  EXPECT_EQ(ScanTailpack(file, untouched).code, Status::Code::Failed);
  ArmFaultAt("ReadAt");  // the open succeeds, the read fails
  EXPECT_EQ(ScanTailpack(file, untouched).code, Status::Code::Failed);
  EXPECT_TRUE(FaultFired());
  ArmFault(0);
  EXPECT_TRUE(untouched.empty());
}

TEST(Strip, PathFormAndLog) {
  ScratchDir dir;
  std::string path = dir.File("app.exe");
  const std::string exe = "EXE{TlPk}\0body"s;
  std::string chunks = "a{TlPk}" + MakeTrailer(7, "ONE") + MakeTrailer(0, "TWO") + "ccc" + MakeTrailer(3, "3");
  PutFile(path, exe + chunks);

  LogCapture log;
  EditResult edit = StripTailpack(path);
  EXPECT_TRUE(edit.changed);
  EXPECT_EQ(Apply(edit, path), exe);
  const std::vector<std::string> lines = {"<Clearing Tailpack from file " + path + " (75 Bytes)",
                                          "Done. Clean file is 14 Bytes>"};
  EXPECT_EQ(log.lines, lines);

  EditResult again = StripTailpack(path);
  EXPECT_FALSE(again.changed);
  EXPECT_EQ(Apply(again, path), exe);
}

// Every chunk of a four-chunk file, cut both in memory and through the file: exactly that
// chunk's data and trailer go, the others keep their bytes and order.
TEST(Cut, EachChunkOfFour) {
  ScratchDir dir;
  std::string path = dir.File("app.exe");
  const std::string exe = "MZ-executable";
  const std::vector<std::string> chunks = {"first" + MakeTrailer(5, "ONE"), MakeTrailer(0, "TWO"),
                                           "x{TlPk}y" + MakeTrailer(8, "MRK"), "last" + MakeTrailer(4, "END")};
  std::string whole = exe;
  for (const std::string& chunk : chunks) whole += chunk;

  for (std::size_t index = 1; index <= chunks.size(); ++index) {
    std::string expected = exe;
    for (std::size_t k = 0; k < chunks.size(); ++k)
      if (k + 1 != index) expected += chunks[k];
    PutFile(path, whole);
    ChunkTable table;
    ASSERT_TRUE(ScanTailpack(path, table).ok());
    EXPECT_EQ(CutChunkBytes(whole, table, index), expected) << index;
    EditResult edit = CutChunk(path, table, index);
    EXPECT_TRUE(edit.changed);
    EXPECT_EQ(Apply(edit, path), expected) << index;

    ChunkTable after;
    ASSERT_TRUE(ScanTailpack(path, after).ok());
    ASSERT_EQ(after.size(), 3u);
    std::uint64_t moved = table[index - 1].Length + TP_TRAILER_SIZE;
    for (std::size_t k = 0; k < after.size(); ++k) {
      std::size_t old = k + 1 < index ? k : k + 1;
      EXPECT_EQ(after[k].Offset, table[old].Offset - (old + 1 > index ? moved : 0)) << index;
    }
  }

  // The only chunk cut gives the same bytes as clearing the Tailpack.
  std::string one = exe + chunks[0];
  ChunkTable table;
  PutFile(path, one);
  ASSERT_TRUE(ScanTailpack(path, table).ok());
  EXPECT_EQ(CutChunkBytes(one, table, 1), StripTailpackBytes(one));
}

TEST(Cut, RefusesStaleTableAndBadIndex) {
  ScratchDir dir;
  std::string path = dir.File("app.exe");
  std::string before = "EXE" + "a"s + MakeTrailer(1, "ONE") + "bb" + MakeTrailer(2, "TWO");
  PutFile(path, before);
  ChunkTable table;
  ASSERT_TRUE(ScanTailpack(path, table).ok());

  for (std::size_t index : {std::size_t{0}, std::size_t{3}}) {
    EditResult edit = CutChunk(path, table, index);
    EXPECT_TRUE(edit.status.ok());
    EXPECT_FALSE(edit.changed);
    EXPECT_EQ(CutChunkBytes(before, table, index), before);
  }

  // Another program adds a chunk after the scan: the old offsets no longer describe the file.
  PutFile(path, AppendChunkBytes(std::string_view(before), "NEW", "new"));
  EditResult stale = CutChunk(path, table, 1);
  EXPECT_EQ(stale.status.code, Status::Code::Failed);
  EXPECT_EQ(stale.status.message, kChangedOnDisk);
  // Same size, different kind.
  std::string renamed = before;
  renamed.replace(renamed.size() - 9, 3, "TWX");
  PutFile(path, renamed);
  EXPECT_EQ(CutChunk(path, table, 1).status.message, kChangedOnDisk);
}

using namespace pe_image;

// The bytes a signed program has after chunks were added into its certificate table: each behind
// the zero padding that keeps the table a multiple of 8, the directory's size and the entry's
// dwLength grown by all that was added.
std::string WithChunksInside(const std::string& signedBytes, std::uint64_t tableAt,
                             const std::vector<std::string>& chunks) {
  std::string bytes = signedBytes;
  for (const std::string& chunk : chunks) bytes += std::string((8 - chunk.size() % 8) % 8, '\0') + chunk;
  SetSecurityDirectory(bytes, true, tableAt, bytes.size() - tableAt);
  Put(bytes, tableAt, static_cast<std::uint32_t>(bytes.size() - tableAt), 4);
  return bytes;
}

std::string Places(const std::string& path) {
  ChunkTable table;
  EXPECT_TRUE(ScanTailpack(path, table).ok());
  std::string places;
  for (const ChunkRecord& record : table) places += "ESF"[static_cast<int>(record.Place)];
  return places;
}

// Chunks of 1, 7 and 20 bytes need 6, 0 and 3 bytes of padding. Every add and removal inside the
// table gives what adding only the chunks that remain would give, and clearing gives back the
// signed program byte for byte; none of them touches signed bytes.
TEST(SignedEdit, InsideTheCertificateTable) {
  ScratchDir dir;
  const std::string path = dir.File("signed.exe");
  const std::string program = Signed(MinimalPe(true));
  const std::vector<std::string> chunks = {"a" + MakeTrailer(1, "ONE"), "1234567" + MakeTrailer(7, "TWO"),
                                           std::string(20, 'c') + MakeTrailer(20, "TRE")};
  PutFile(path, program);
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    EditResult added = AppendChunk(path, chunks[i].substr(chunks[i].size() - 9, 3),
                                   chunks[i].substr(0, chunks[i].size() - TP_TRAILER_SIZE));
    EXPECT_FALSE(added.breaksSignature);
    EXPECT_EQ(Apply(added, path), WithChunksInside(program, 512, {chunks.begin(), chunks.begin() + i + 1})) << i;
  }
  EXPECT_EQ(Places(path), "SSS");
  ChunkTable table;
  ASSERT_TRUE(ScanTailpack(path, table).ok());
  EXPECT_EQ(ReadChunk(path, table[1]), "1234567");

  EditResult cut = CutChunk(path, table, 2);
  EXPECT_FALSE(cut.breaksSignature);
  EXPECT_EQ(Apply(cut, path), WithChunksInside(program, 512, {chunks[0], chunks[2]}));
  EditResult stripped = StripTailpack(path);
  EXPECT_FALSE(stripped.breaksSignature);
  EXPECT_EQ(Apply(stripped, path), program);
  EXPECT_EQ(StripTailpackBytes(WithChunksInside(program, 512, chunks)), program);
}

// Chunks added before signing stand in front of the table. Taking one out changes signed bytes:
// the table moves up to the next multiple of 8 and the directory's address follows it, and the
// chunks inside the table stay where they are in it.
TEST(SignedEdit, InFrontOfTheCertificateTable) {
  ScratchDir dir;
  const std::string path = dir.File("signed.exe");
  const std::string body = MinimalPe(true), first = "abc" + MakeTrailer(3, "ONE"), second = "xy" + MakeTrailer(2, "TWO");
  auto signedWith = [&](const std::vector<std::string>& front, const std::vector<std::string>& inside) {
    std::string bytes = body;
    for (const std::string& chunk : front) bytes += chunk;
    bytes.append((8 - bytes.size() % 8) % 8, '\0');
    const std::uint64_t tableAt = bytes.size();
    return WithChunksInside(Signed(bytes), tableAt, inside);
  };
  const std::string inside = "in" + MakeTrailer(2, "INS");
  PutFile(path, signedWith({first, second}, {inside}));
  EXPECT_EQ(Places(path), "FFS");
  ChunkTable table;
  ASSERT_TRUE(ScanTailpack(path, table).ok());

  EditResult cut = CutChunk(path, table, 1);
  EXPECT_TRUE(cut.breaksSignature);
  EXPECT_EQ(Apply(cut, path), signedWith({second}, {inside}));
  EXPECT_EQ(Places(path), "FS");

  PutFile(path, signedWith({first, second}, {inside}));
  EditResult stripped = StripTailpack(path);
  EXPECT_TRUE(stripped.breaksSignature);
  EXPECT_EQ(Apply(stripped, path), signedWith({}, {}));
  EXPECT_EQ(CutChunkBytes(signedWith({first, second}, {inside}), table, 2), signedWith({first}, {inside}));

  // A program whose own bytes end with a marker and a zero byte: once no chunk is left in front of
  // the table, 8 more zero bytes keep those bytes from reading as one.
  const std::string odd = body + "{TlPk}" + std::string(1, '\0');
  std::string oddSigned = Signed(odd + first + std::string(5, '\0'));
  PutFile(path, oddSigned);
  EXPECT_EQ(Places(path), "F");
  std::string expected = Signed(odd + std::string(9, '\0'));
  EXPECT_EQ(Apply(StripTailpack(path), path), expected);
  EXPECT_EQ(Places(path), "");
}

// A certificate table that cannot hold chunks leaves the file to the plain rules: an add goes
// behind everything, and every change is said to break the signature.
TEST(SignedEdit, LyingHeadersAreChangedAsUnsignedFiles) {
  ScratchDir dir;
  const std::string path = dir.File("signed.exe");
  std::string lying = Signed(MinimalPe(true));
  Put(lying, 512, 56, 4);  // dwLength disagrees with the directory's size
  const std::string chunk = "data" + MakeTrailer(4, "TXT");
  PutFile(path, lying);
  EditResult added = AppendChunk(path, "TXT", "data");
  EXPECT_TRUE(added.breaksSignature);
  EXPECT_EQ(Apply(added, path), lying + chunk);
  EXPECT_EQ(Places(path), "E");
  ChunkTable table;
  ASSERT_TRUE(ScanTailpack(path, table).ok());
  EXPECT_TRUE(CutChunk(path, table, 1).breaksSignature);
  EditResult stripped = StripTailpack(path);
  EXPECT_TRUE(stripped.breaksSignature);
  EXPECT_EQ(Apply(stripped, path), lying);
  EXPECT_FALSE(StripTailpack(path).breaksSignature);  // nothing to change
}

}  // namespace
