// The single-header reader against the literal model on many random files, plain and signed;
// reads limited to trailers and the chunk asked for, signed PE files that lie, files beyond 4 GiB.
#include "reader/tailpack_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "store/edit.h"
#include "store/scan.h"
#include "store/tailpack.h"
#include "tests/model/literal_model.h"
#include "tests/model/random_files.h"
#include "tests/support/pe_image.h"
#include "tests/support/read_chunk.h"
#include "tests/support/walk_tailpack.h"

namespace {

namespace fs = std::filesystem;
using namespace pe_image;

// A folder of its own for one test, removed afterwards.
struct Scratch {
  fs::path dir;
  Scratch() {
    std::random_device seed;
    dir = fs::temp_directory_path() / ("reader-test-" + std::to_string(seed()));
    fs::create_directories(dir);
  }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  fs::path Write(const std::string& name, const std::string& bytes) const {
    fs::path path = dir / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
};

std::string Chunk(const std::string& kind, const std::string& data) { return data + MakeTrailer(data.size(), kind); }

// A listing as the literal model describes a table: 1-based offsets, places inside (S) and in
// front of (F) a certificate table.
std::string Describe(const tailpack::Listing& listing) {
  ChunkTable table;
  for (const tailpack::Chunk& c : listing.chunks) {
    ChunkRecord record{c.offset + 1, c.length, {}, static_cast<tp_place>(c.place)};
    c.kind.copy(record.Kind, 3);
    table.push_back(record);
  }
  return literal::Describe(table);
}

// Counts the bytes read through it, to check that a walk stays on the trailers.
struct CountingBytes {
  std::string bytes;
  std::uint64_t read = 0;
  tailpack::Source AsSource() {
    tailpack::Source source;
    source.size = bytes.size();
    source.context = this;
    source.readAt = [](const void* self, std::uint64_t offset, char* out, std::size_t n, std::string&) {
      auto* counting = static_cast<CountingBytes*>(const_cast<void*>(self));
      counting->read += n;
      std::memcpy(out, counting->bytes.data() + offset, n);
      return true;
    };
    return source;
  }
};

// The reader against the literal model, on plain and on signed random files: the same chunks at
// the same places, the same bytes for each, the newest of a kind by kind, the same end of the body.
TEST(Reader, AgreesWithTheModelOnRandomFiles) {
  Scratch scratch;
  for (std::uint64_t seed = 1; seed <= 4000; ++seed) {
    randomfiles::RandomFile random = seed % 4 == 0 ? randomfiles::MakeRandomSignedFile(seed / 4) : randomfiles::MakeRandomFile(seed);
    SCOPED_TRACE(random.notes);
    // A new file each time: rewriting one file in place makes some file systems flush it.
    fs::path path = scratch.Write("random-" + std::to_string(seed) + ".exe", random.bytes);

    ChunkTable model;
    literal::ScanBytes(random.bytes, "", model, nullptr);
    tailpack::Listing listing = tailpack::ListChunks(path);
    ASSERT_TRUE(listing.ok()) << listing.error;
    ASSERT_EQ(Describe(listing), literal::Describe(model));
    EXPECT_EQ(listing.body, literal::BodyEnd(random.bytes));
    std::map<std::string, std::string> newest;
    for (std::size_t i = 0; i < model.size(); ++i) {
      const std::string expected = literal::ReadChunkBytes(random.bytes, model[i]);
      tailpack::ChunkBytes got = tailpack::ReadChunk(path, i);
      EXPECT_TRUE(got.found);
      // The model gives empty bytes for a record beyond the end; the reader says why.
      EXPECT_EQ(got.ok() ? got.bytes : std::string(), expected) << "record " << i;
      if (KindText(model[i]).size() == 3) newest[KindText(model[i])] = expected;
    }
    EXPECT_FALSE(tailpack::ReadChunk(path, model.size()).found);
    for (const auto& [kind, expected] : newest) {
      tailpack::ChunkBytes got = tailpack::ReadChunk(path, kind);
      EXPECT_TRUE(got.found) << kind;
      EXPECT_EQ(got.ok() ? got.bytes : std::string(), expected) << kind;
    }
    EXPECT_EQ(Describe(tailpack::ListChunksInMemory(random.bytes)), Describe(listing));
    fs::remove(path);
  }
}

TEST(Reader, ReadsByKindNewestFirst) {
  std::string file = "MZ body" + Chunk("TXT", "old") + Chunk("AB", "short kind") + Chunk("TXT", "new") +
                     Chunk("BIN", std::string("\0\1", 2));
  // Matching is exact, as stored; a kind that cannot be one is refused, not "not found".
  struct {
    std::string kind;
    bool found;
    std::string data;
    std::string error;
  } cases[] = {
      {"TXT", true, "new", ""}, {"AB", true, "short kind", ""}, {" AB", true, "short kind", ""},
      {"BIN", true, std::string("\0\1", 2), ""}, {"txt", false, "", ""}, {"ZZZ", false, "", ""},
      {"", false, "", "A kind is 1 to 3 bytes long"}, {"TXTX", false, "", "A kind is 1 to 3 bytes long"},
  };
  for (const auto& c : cases) {
    tailpack::ChunkBytes got = tailpack::ReadChunk(tailpack::MemorySource(file), c.kind);
    EXPECT_EQ(got.error, c.error) << c.kind;
    EXPECT_EQ(got.found, c.found) << c.kind;
    EXPECT_EQ(got.bytes, c.data) << c.kind;
  }
}

TEST(Reader, ReportsUnreadableFilesAsErrors) {
  Scratch scratch;
  fs::path fifo = scratch.dir / "fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const fs::path& path : {scratch.dir / "missing.exe", scratch.dir, fifo}) {
    tailpack::Listing listing = tailpack::ListChunks(path);
    EXPECT_FALSE(listing.ok()) << path;
    EXPECT_TRUE(listing.chunks.empty());
    tailpack::ChunkBytes got = tailpack::ReadChunk(path, "TXT");
    EXPECT_FALSE(got.ok()) << path;
    EXPECT_FALSE(got.found);
    EXPECT_FALSE(tailpack::HasCertificateTable(path));
  }
  tailpack::Listing empty = tailpack::ListChunks(scratch.Write("empty.exe", ""));
  EXPECT_TRUE(empty.ok());
  EXPECT_TRUE(empty.chunks.empty());
}

// The walk reads the end of the file in blocks: a listing costs a block and the PE headers, a read
// by kind that block and the chunk asked for, whatever the file's size.
TEST(Reader, ReadsOnlyTrailersAndTheChunkAskedFor) {
  CountingBytes file;
  file.bytes = std::string(1 << 20, 'x') + Chunk("AAA", std::string(5000, 'a')) +
               Chunk("BBB", std::string(7000, 'b')) + Chunk("CCC", std::string(9000, 'c'));
  tailpack::Listing listing = tailpack::ListChunks(file.AsSource());
  ASSERT_EQ(listing.chunks.size(), 3u);
  EXPECT_LE(file.read, tailpack::kBlockSize + 512);

  file.read = 0;
  tailpack::ChunkBytes got = tailpack::ReadChunk(file.AsSource(), "BBB");
  EXPECT_EQ(got.bytes, std::string(7000, 'b'));
  EXPECT_LE(file.read, tailpack::kBlockSize + 512 + 7000);

  file.bytes.resize(1 << 20);
  file.read = 0;
  EXPECT_TRUE(tailpack::ListChunks(file.AsSource()).chunks.empty());
  EXPECT_LE(file.read, tailpack::kBlockSize + 512);

  // By kind the walk stops at the newest chunk of that kind: in front of it lie 9 blocks of older
  // chunks that are never read.
  file.bytes = "MZ";
  for (int i = 0; i < 30000; ++i) file.bytes += Chunk("OLD", "x");
  file.bytes += Chunk("TXT", "newest");
  file.read = 0;
  EXPECT_EQ(tailpack::ReadChunk(file.AsSource(), "TXT").bytes, "newest");
  EXPECT_LE(file.read, tailpack::kBlockSize + 512 + 6);
}

// A PE file with chunks in front of its certificate table (added before signing) and inside it
// (added by the store since), as the generated layouts and the cases below build it.
struct SignedFile {
  std::string bytes;
  std::uint64_t tableAt = 0;
};

SignedFile BuildSigned(bool plus, const std::string& front, std::size_t padding, std::size_t blob,
                       const std::vector<std::pair<std::string, std::string>>& inside) {
  SignedFile file{MinimalPe(plus) + front + std::string(padding, '\0')};
  file.tableAt = file.bytes.size();
  std::string table = CertificateTableBytes(blob);
  SetSecurityDirectory(file.bytes, plus, file.tableAt, table.size());
  file.bytes += table;
  for (const auto& [kind, data] : inside) file.bytes = AppendChunkBytes(std::string_view(file.bytes), kind, data);
  return file;
}

enum class Damage { None, TableBeyondFile, TableAtHugeAddress, TableOverChunks, TableInHeaders, ChunkBehindTable,
                    CutHeader, Misaligned, TwoEntries, LengthDisagrees, NotSignedData, NotDer, BlobTooLong };

// Signed layouts and headers that lie. A table that cannot hold chunks is no signed layout: the
// file is read from its end, as any other.
TEST(Reader, ReadsSignedLayoutsAndLyingHeaders) {
  const std::string front = Chunk("TXT", "hello") + Chunk("BIN", std::string("\0\1{TlPk}", 8));
  const std::vector<std::pair<std::string, std::string>> inside = {{"IN1", "first inside"}, {"IN2", "x"}};
  struct {
    const char* name;
    Damage damage;
    bool plus;
    std::size_t padding;
    bool withInside;
    std::string places;  // the chunks found, oldest first: F front, S inside the table, E at the end
    bool table;          // HasCertificateTable
  } cases[] = {
      {"PE32+, chunks then signature", Damage::None, true, 1, false, "FF", true},
      {"PE32, chunks then signature", Damage::None, false, 1, false, "FF", true},
      {"chunks then signature then chunks", Damage::None, true, 1, true, "FFSS", true},
      {"more padding than alignment needs", Damage::None, true, 9, false, "", true},
      {"table not 8-aligned", Damage::Misaligned, true, 1, false, "", true},
      {"table reaching beyond the file", Damage::TableBeyondFile, true, 1, false, "", false},
      {"table at a huge address", Damage::TableAtHugeAddress, true, 1, false, "", false},
      {"table covering the chunks", Damage::TableOverChunks, true, 1, false, "EE", true},
      {"table over the headers", Damage::TableInHeaders, true, 1, false, "", false},
      {"chunk added behind the table", Damage::ChunkBehindTable, true, 1, false, "E", true},
      {"header cut short", Damage::CutHeader, true, 1, false, "", false},
      {"two certificate entries", Damage::TwoEntries, true, 1, false, "", true},
      {"dwLength disagrees with the directory", Damage::LengthDisagrees, true, 1, false, "", true},
      {"entry of another type", Damage::NotSignedData, true, 1, false, "", true},
      {"blob that is no DER sequence", Damage::NotDer, true, 1, false, "", true},
      {"blob longer than its entry", Damage::BlobTooLong, true, 1, false, "", true},
  };
  Scratch scratch;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SignedFile file = BuildSigned(c.plus, front, c.padding, 56, c.withInside ? inside : decltype(inside){});
    std::string& bytes = file.bytes;
    const std::uint64_t tableSize = bytes.size() - file.tableAt;
    switch (c.damage) {
      case Damage::None: break;
      case Damage::Misaligned:
        bytes.erase(file.tableAt - 1, 1);
        SetSecurityDirectory(bytes, c.plus, file.tableAt - 1, tableSize);
        break;
      case Damage::TableBeyondFile: SetSecurityDirectory(bytes, c.plus, file.tableAt, tableSize + 8); break;
      case Damage::TableAtHugeAddress: SetSecurityDirectory(bytes, c.plus, 0xFFFFFFF8, tableSize); break;
      case Damage::TableOverChunks:
        bytes.resize(512 + front.size());
        SetSecurityDirectory(bytes, c.plus, 512, front.size());
        break;
      case Damage::TableInHeaders: SetSecurityDirectory(bytes, c.plus, 0x40, bytes.size() - 0x40); break;
      case Damage::ChunkBehindTable: bytes += Chunk("NEW", "after"); break;
      case Damage::CutHeader: bytes.resize(kPeAt + 10); break;
      case Damage::TwoEntries:
        bytes += CertificateTableBytes();
        SetSecurityDirectory(bytes, c.plus, file.tableAt, 2 * tableSize);
        break;
      case Damage::LengthDisagrees: Put(bytes, file.tableAt, static_cast<std::uint32_t>(tableSize - 8), 4); break;
      case Damage::NotSignedData: Put(bytes, file.tableAt + 6, 1, 2); break;
      case Damage::NotDer: bytes[file.tableAt + 8] = 0x31; break;
      case Damage::BlobTooLong: bytes[file.tableAt + 9] = 0x7F; break;
    }
    fs::path path = scratch.Write("signed.exe", bytes);
    tailpack::Listing listing = tailpack::ListChunks(path);
    ASSERT_TRUE(listing.ok()) << listing.error;
    std::string places;
    for (const tailpack::Chunk& chunk : listing.chunks) places += "ESF"[static_cast<int>(chunk.place)];
    EXPECT_EQ(places, c.places);
    EXPECT_EQ(tailpack::HasCertificateTable(path), c.table);
    if (!places.empty()) {
      const bool behind = c.damage == Damage::ChunkBehindTable;
      EXPECT_EQ(listing.chunks.front().kind, behind ? "NEW" : "TXT");
      EXPECT_EQ(listing.chunks.front().offset, behind ? bytes.size() - 5 - tailpack::kTrailerSize : 512u);
      EXPECT_EQ(tailpack::ReadChunk(path, "BIN").bytes, behind ? "" : std::string("\0\1{TlPk}", 8));
      EXPECT_EQ(tailpack::ReadChunk(path, "IN1").bytes, c.withInside ? "first inside" : "");
    }
  }
}

// A large chunk inside the table of a file with a large body: the zero padding in front of its
// data is read into the block that held its trailer, and the kind read with the trailer must
// stay the chunk's, for the reader and the store's scan alike.
TEST(Reader, KeepsTheKindOfALargeChunkInsideTheTable) {
  Scratch scratch;
  SignedFile file = BuildSigned(true, std::string(8000, 'z'), 0, 56, {{"BIG", std::string(5000, 'b')}});
  fs::path path = scratch.Write("big-inside.exe", file.bytes);
  tailpack::Listing listing = tailpack::ListChunks(path);
  ChunkTable table;
  ASSERT_TRUE(ScanTailpack(path.string(), table).ok());
  ASSERT_EQ(listing.chunks.size(), 1u);
  ASSERT_EQ(table.size(), 1u);
  EXPECT_EQ(listing.chunks[0].kind, "BIG");
  EXPECT_EQ(KindText(table[0]), "BIG");
  EXPECT_EQ(tailpack::ReadChunk(path, "BIG").bytes, std::string(5000, 'b'));
}

TEST(Reader, ReadsChunksBeyondFourGiB) {
  Scratch scratch;
  const std::uint64_t body = (std::uint64_t{5} << 30) + 3;
  fs::path path = scratch.dir / "big.exe";
  std::ofstream(path, std::ios::binary).put('M');
  std::error_code ec;
  fs::resize_file(path, body, ec);  // sparse: takes no space on the disk
  if (ec) GTEST_SKIP() << "no sparse file: " << ec.message();
  std::ofstream(path, std::ios::binary | std::ios::app) << Chunk("ONE", "first") << Chunk("TXT", "far away");

  tailpack::Listing listing = tailpack::ListChunks(path);
  ASSERT_TRUE(listing.ok()) << listing.error;
  ASSERT_EQ(listing.chunks.size(), 2u);
  EXPECT_EQ(listing.body, body);
  EXPECT_EQ(listing.chunks[0].offset, body);
  EXPECT_EQ(listing.chunks[1].offset, body + 5 + tailpack::kTrailerSize);
  EXPECT_EQ(tailpack::ReadChunk(path, "TXT").bytes, "far away");
  EXPECT_EQ(tailpack::ReadChunk(path, std::size_t{0}).bytes, "first");
}

TEST(Reader, FindsItsOwnExecutable) {
  tailpack::SelfPathResult self = tailpack::SelfPath();
  ASSERT_TRUE(self.ok()) << self.error;
  EXPECT_TRUE(fs::equivalent(self.path, "/proc/self/exe"));
  EXPECT_TRUE(fs::equivalent(self.name, "/proc/self/exe"));
}

// A running program whose file another was renamed over (as every write of stowr does) still
// reads its own chunks, and still names itself by its path.
TEST(Reader, ReadsItsOwnFileAfterARenameReplacedIt) {
  Scratch scratch;
  std::ifstream in(STOWR_SELF_READER, std::ios::binary);
  const std::string program((std::istreambuf_iterator<char>(in)), {});
  const fs::path path = scratch.Write("self", program + Chunk("TXT", "the running one"));
  fs::permissions(path, fs::perms::owner_all);
  int toChild[2], fromChild[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(fromChild), 0);
  pid_t child = fork();
  if (child == 0) {
    dup2(toChild[0], 0);
    dup2(fromChild[1], 1);
    execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  auto readAll = [&](std::size_t atLeast) {
    std::string out;
    char buffer[256];
    ssize_t n;
    while (out.size() < atLeast && (n = read(fromChild[0], buffer, sizeof buffer)) > 0) out.append(buffer, n);
    return out;
  };
  EXPECT_EQ(readAll(6), "ready\n");
  fs::path newer = scratch.Write("newer", program + Chunk("TXT", "the new one"));
  fs::rename(newer, path);
  ASSERT_EQ(write(toChild[1], "\n", 1), 1);
  close(toChild[1]);
  std::string out = readAll(SIZE_MAX);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(out, "the running one\n" + path.string());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
