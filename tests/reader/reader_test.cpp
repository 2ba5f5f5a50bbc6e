// The single-header reader against the store: the same records and bytes on many random files,
// reads limited to trailers and the chunk asked for, signed PE files, files beyond 4 GiB.
#include "reader/tailpack_reader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>

#include <sys/stat.h>

#include "store/scan.h"
#include "store/tailpack.h"
#include "tests/model/random_files.h"
#include "tests/support/pe_image.h"

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

TEST(Reader, AgreesWithTheStoreOnRandomFiles) {
  Scratch scratch;
  for (std::uint64_t seed = 1; seed <= 3000; ++seed) {
    randomfiles::RandomFile random = randomfiles::MakeRandomFile(seed);
    SCOPED_TRACE("seed " + std::to_string(seed) + ": " + random.notes);
    // A new file each time: rewriting one file in place makes some file systems flush it.
    fs::path path = scratch.Write("random-" + std::to_string(seed) + ".exe", random.bytes);

    ChunkTable table;
    ASSERT_TRUE(ScanTailpack(path.string(), table).ok());
    tailpack::Listing listing = tailpack::ListChunks(path);
    ASSERT_TRUE(listing.ok()) << listing.error;
    EXPECT_EQ(listing.end, random.bytes.size());
    ASSERT_EQ(listing.chunks.size(), table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
      EXPECT_EQ(listing.chunks[i].kind, KindText(table[i])) << "record " << i;
      EXPECT_EQ(listing.chunks[i].length, table[i].Length) << "record " << i;
      EXPECT_EQ(listing.chunks[i].offset + 1, table[i].Offset) << "record " << i;

      std::string expected = ReadChunk(path.string(), table[i]);
      tailpack::ChunkBytes got = tailpack::ReadChunk(path, i);
      EXPECT_TRUE(got.found);
      // The store gives empty bytes for a record beyond the end; the reader says why.
      EXPECT_EQ(got.ok() ? got.bytes : std::string(), expected) << "record " << i;
    }
    EXPECT_FALSE(tailpack::ReadChunk(path, table.size()).found);

    // By kind, the newest record of that kind answers.
    std::map<std::string, std::size_t> newest;
    for (std::size_t i = 0; i < table.size(); ++i)
      if (KindText(table[i]).size() == 3) newest[KindText(table[i])] = i;
    for (const auto& [kind, index] : newest) {
      tailpack::ChunkBytes got = tailpack::ReadChunk(path, kind);
      EXPECT_TRUE(got.found) << kind;
      EXPECT_EQ(got.ok() ? got.bytes : std::string(), ReadChunk(path.string(), table[index])) << kind;
    }

    tailpack::Listing inMemory = tailpack::ListChunksInMemory(random.bytes);
    ASSERT_EQ(inMemory.chunks.size(), listing.chunks.size());
    EXPECT_EQ(inMemory.body, listing.body);
    fs::remove(path);
  }
}

TEST(Reader, ReadsByKindNewestFirst) {
  std::string file = "MZ body" + Chunk("TXT", "old") + Chunk("AB", "short kind") + Chunk("TXT", "new") +
                     Chunk("BIN", std::string("\0\1", 2));
  struct {
    std::string kind;
    bool found;
    std::string data;
  } cases[] = {
      {"TXT", true, "new"}, {"AB", true, "short kind"}, {" AB", true, "short kind"},
      {"BIN", true, std::string("\0\1", 2)}, {"txt", false, ""}, {"ZZZ", false, ""}, {"", false, ""},
  };
  for (const auto& c : cases) {
    tailpack::ChunkBytes got = tailpack::ReadChunk(tailpack::MemorySource(file), c.kind);
    EXPECT_TRUE(got.ok()) << c.kind;
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
}

enum class Layout { Signed, TableBeyondFile, TableAtHugeAddress, TableOverChunks, TableInHeaders, ChunksAfterTable, CutHeader };

TEST(Reader, FindsChunksInFrontOfACertificateTable) {
  const std::string chunks = Chunk("TXT", "hello") + Chunk("BIN", std::string("\0\1{TlPk}", 8));
  struct {
    const char* name;
    Layout layout;
    bool plus;
    std::size_t padding;
    std::vector<std::string> kinds;  // chunks expected, oldest first
    bool table;                      // HasCertificateTable
  } cases[] = {
      {"PE32+ signed", Layout::Signed, true, 0, {"TXT", "BIN"}, true},
      {"PE32+ signed, 1 byte padding", Layout::Signed, true, 1, {"TXT", "BIN"}, true},
      {"PE32+ signed, 7 bytes padding", Layout::Signed, true, 7, {"TXT", "BIN"}, true},
      {"PE32 signed, 5 bytes padding", Layout::Signed, false, 5, {"TXT", "BIN"}, true},
      {"more padding than alignment needs", Layout::Signed, true, 8, {}, true},
      {"table reaching beyond the file", Layout::TableBeyondFile, true, 0, {}, false},
      {"table at a huge address", Layout::TableAtHugeAddress, true, 0, {}, false},
      {"table covering the chunks", Layout::TableOverChunks, true, 0, {"TXT", "BIN"}, true},
      {"table over the headers", Layout::TableInHeaders, true, 0, {}, false},
      {"chunk added after signing", Layout::ChunksAfterTable, true, 0, {"NEW"}, true},
      {"header cut short", Layout::CutHeader, true, 0, {}, false},
  };
  Scratch scratch;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string file = MinimalPe(c.plus) + chunks + std::string(c.padding, '\0');
    const std::uint64_t tableAt = file.size(), tableSize = CertificateTableBytes().size();
    file += CertificateTableBytes();
    switch (c.layout) {
      case Layout::Signed: SetSecurityDirectory(file, c.plus, tableAt, tableSize); break;
      case Layout::TableBeyondFile: SetSecurityDirectory(file, c.plus, tableAt, tableSize + 8); break;
      case Layout::TableAtHugeAddress: SetSecurityDirectory(file, c.plus, 0xFFFFFFF8, tableSize); break;
      case Layout::TableOverChunks:
        file.resize(tableAt);
        SetSecurityDirectory(file, c.plus, 512, tableAt - 512);
        break;
      case Layout::TableInHeaders: SetSecurityDirectory(file, c.plus, 0x40, file.size() - 0x40); break;
      case Layout::ChunksAfterTable:
        SetSecurityDirectory(file, c.plus, tableAt, tableSize);
        file += Chunk("NEW", "after");
        break;
      case Layout::CutHeader: file.resize(kPeAt + 10); break;
    }
    fs::path path = scratch.Write("signed.exe", file);
    tailpack::Listing listing = tailpack::ListChunks(path);
    ASSERT_TRUE(listing.ok()) << listing.error;
    std::vector<std::string> kinds;
    for (const tailpack::Chunk& chunk : listing.chunks) kinds.push_back(chunk.kind);
    EXPECT_EQ(kinds, c.kinds);
    EXPECT_EQ(tailpack::HasCertificateTable(path), c.table);
    if (!c.kinds.empty()) {
      EXPECT_EQ(tailpack::ReadChunk(path, c.kinds.back()).bytes, c.kinds.back() == "NEW" ? "after" : std::string("\0\1{TlPk}", 8));
      EXPECT_EQ(listing.chunks.front().offset, c.kinds.size() == 2 ? 512u : tableAt + tableSize);
    }
  }
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
}

}  // namespace
