// The store against the literal model over many random files: the table, every chunk's bytes,
// the stripped file, every one-chunk cut and appends must come out the same, log lines included.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "store/edit.h"
#include "store/log.h"
#include "store/scan.h"
#include "store/wholefile.h"
#include "tests/model/literal_model.h"
#include "tests/model/random_files.h"
#include "tests/support/log_capture.h"
#include "tests/support/read_chunk.h"
#include "tests/support/walk_tailpack.h"

namespace {

namespace fs = std::filesystem;
constexpr std::uint64_t kFiles = 1500;

class Differential : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("stowr-diff-" + std::to_string(getpid()));
    fs::create_directories(dir);
    exe = (dir / "sample.exe").string();
  }
  void TearDown() override { fs::remove_all(dir); }

  void Put(const std::string& bytes) {
    std::ofstream(exe, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
  }

  // The bytes a Content stands for, read from its source the plain way.
  static std::string Materialize(const Content& content) {
    std::string out;
    for (const Piece& piece : content.pieces) {
      std::string source = piece.fromSource ? literal::ReadWholeFile(content.sources.at(piece.source).path) : "";
      if (!piece.fromSource) out += piece.bytes;
      else if (piece.offset + piece.length <= source.size()) out += source.substr(piece.offset, piece.length);
      else out += "<piece beyond the source>";
    }
    return out;
  }

  // Writes content through the store now and then, to check the write itself too.
  std::string Produce(const Content& content, std::uint64_t seed) {
    std::string expected = Materialize(content);
    if (seed % 50 == 0) {
      std::string out = (dir / "written.bin").string();
      EXPECT_TRUE(WriteWholeFile(content, out).ok());
      EXPECT_EQ(literal::ReadWholeFile(out), expected) << "seed " << seed;
    }
    return expected;
  }

  fs::path dir;
  std::string exe;
};

TEST_F(Differential, ScanReadAndWalkMatchTheModel) {
  for (std::uint64_t seed = 1; seed <= kFiles; ++seed) {
    randomfiles::RandomFile file = randomfiles::MakeRandomFile(seed);
    Put(file.bytes);
    ChunkTable want, got;
    std::vector<bool> types;
    literal::Log wantLog;
    literal::ScanTailpack(exe, want, &wantLog);
    LogCapture log;
    ASSERT_TRUE(ScanTailpackTypes(exe, got, types).ok()) << file.notes;
    ASSERT_EQ(literal::Describe(got), literal::Describe(want)) << file.notes;
    ASSERT_EQ(log.lines, wantLog) << file.notes;

    for (std::size_t i = 0; i < got.size(); ++i) {
      std::string bytes = ReadChunk(exe, got[i]);
      ASSERT_EQ(bytes, literal::ReadChunk(exe, got[i])) << file.notes;
      ASSERT_EQ(IsBinaryChunk(bytes), literal::IsBinaryChunk(bytes)) << file.notes;
      ASSERT_EQ(ChunkIsBinary(exe, got[i]), literal::IsBinaryChunk(bytes)) << file.notes;
      ASSERT_EQ(types[i], literal::IsBinaryChunk(bytes)) << file.notes;
    }
    ChunkTable rows;
    LogCapture rowsLog;
    ASSERT_TRUE(ScanTailpackRows(exe, [&](const ChunkRecord& r, bool) { rows.push_back(r); }).ok()) << file.notes;
    EXPECT_EQ(literal::Describe(rows), literal::Describe(want)) << file.notes;
    EXPECT_EQ(rowsLog.lines, wantLog) << file.notes;

    std::uint64_t remaining = 0;
    ChunkTable walked;
    ASSERT_TRUE(WalkTailpack(tp_memory_source(file.bytes.data(), file.bytes.size()), [&](const ChunkRecord& r) { walked.push_back(r); },
                             remaining).ok());
    std::reverse(walked.begin(), walked.end());
    EXPECT_EQ(literal::Describe(walked), literal::Describe(want)) << file.notes;
    EXPECT_EQ(remaining, literal::StripBytes(file.bytes).size()) << file.notes;

    if (file.intact) {  // both also agree with what was generated
      ASSERT_EQ(want.size(), file.chunks.size()) << file.notes;
      for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(literal::ReadChunkBytes(file.bytes, want[i]), file.chunks[i].data) << file.notes;
        EXPECT_EQ(KindText(want[i]), std::string(file.chunks[i].kindField.c_str())) << file.notes;
      }
    }
  }
}

TEST_F(Differential, StripMatchesTheModel) {
  for (std::uint64_t seed = 1; seed <= kFiles; ++seed) {
    randomfiles::RandomFile file = randomfiles::MakeRandomFile(seed);
    Put(file.bytes);
    literal::Log wantLog;
    std::string want = literal::StripTailpack(exe, &wantLog);
    LogCapture log;
    EditResult got = StripTailpack(exe);
    ASSERT_TRUE(got.status.ok()) << file.notes;
    ASSERT_EQ(Produce(got.content, seed), want) << file.notes;
    EXPECT_EQ(got.changed, want != file.bytes) << file.notes;
    EXPECT_EQ(log.lines, wantLog) << file.notes;
    EXPECT_EQ(StripTailpackBytes(file.bytes), want) << file.notes;
    if (file.intact) {
      EXPECT_EQ(want, file.body) << file.notes;
    }
  }
}

TEST_F(Differential, EveryCutMatchesTheModel) {
  for (std::uint64_t seed = 1; seed <= kFiles; ++seed) {
    randomfiles::RandomFile file = randomfiles::MakeRandomFile(seed);
    Put(file.bytes);
    ChunkTable table;  // the store's own table, as the main window passes it
    ASSERT_TRUE(ScanTailpack(exe, table).ok()) << file.notes;
    for (std::size_t index = 1; index <= table.size(); ++index) {
      std::string want = literal::CutChunk(file.bytes, table, index);
      EditResult got = CutChunk(exe, table, index);
      ASSERT_TRUE(got.status.ok()) << file.notes << " index " << index;
      ASSERT_EQ(Produce(got.content, seed), want) << file.notes << " index " << index;
      ASSERT_EQ(CutChunkBytes(file.bytes, table, index), want) << file.notes << " index " << index;
    }
  }
}

TEST_F(Differential, AppendMatchesTheModel) {
  // Kinds the dialog makes and kinds only the format takes: short, padded, empty, too long.
  const std::vector<std::string> kinds = {"TXT", "AB", " AB", "", "A B", "ABCD", " ABC", "   "};
  for (std::uint64_t seed = 1; seed <= kFiles / 3; ++seed) {
    randomfiles::RandomFile file = randomfiles::MakeRandomFile(seed);
    Put(file.bytes);
    randomfiles::Rng rng{seed};
    std::string kind = seed % 3 == 0 ? kinds[rng.Below(kinds.size())] : randomfiles::RandomKind(rng);
    std::string data = randomfiles::RandomData(rng, rng.Percent(10) ? 0 : rng.Below(300));

    literal::Log wantLog;
    std::string want = literal::AppendChunk(exe, kind, data, &wantLog);
    LogCapture log;
    EditResult got = AppendChunk(exe, kind, data);
    ASSERT_TRUE(got.status.ok()) << file.notes;
    ASSERT_EQ(Produce(got.content, seed), want) << file.notes << " kind '" << kind << "'";
    EXPECT_EQ(got.changed, want != file.bytes) << file.notes;
    EXPECT_EQ(log.lines, wantLog) << file.notes;
    EXPECT_EQ(AppendChunkBytes(std::string_view(file.bytes), kind, data), literal::AppendChunkBytes(file.bytes, kind, data, nullptr))
        << file.notes;
  }
}

// The same chunk in two files, the older one first: kind, length, place and data.
void ExpectSameChunk(const ChunkRecord& now, const std::string& nowBytes, const ChunkRecord& before,
                     const std::string& beforeBytes, const std::string& what) {
  EXPECT_EQ(KindText(now), KindText(before)) << what;
  EXPECT_EQ(now.Length, before.Length) << what;
  EXPECT_EQ(now.Place, before.Place) << what;
  EXPECT_EQ(literal::ReadChunkBytes(nowBytes, now), literal::ReadChunkBytes(beforeBytes, before)) << what;
}

// Signed executables: the store's scan finds the chunks the model finds, in the same places, and
// an intact file's chunks are those generated. The store's edits of an intact file are judged by
// the model's scan of the result: an add keeps every chunk and puts the new one inside the table,
// a cut keeps every other chunk, a strip leaves none.
TEST_F(Differential, SignedFilesMatchTheModel) {
  for (std::uint64_t seed = 1; seed <= kFiles; ++seed) {
    randomfiles::RandomFile file = randomfiles::MakeRandomSignedFile(seed);
    Put(file.bytes);
    ChunkTable want, got;
    std::vector<bool> types;
    literal::ScanTailpack(exe, want, nullptr);
    ASSERT_TRUE(ScanTailpackTypes(exe, got, types).ok()) << file.notes;
    ASSERT_EQ(literal::Describe(got), literal::Describe(want)) << file.notes;
    for (std::size_t i = 0; i < want.size(); ++i)
      ASSERT_EQ(types[i], literal::IsBinaryChunk(literal::ReadChunkBytes(file.bytes, want[i]))) << file.notes;
    if (!file.intact) continue;
    ASSERT_EQ(want.size(), file.chunks.size()) << file.notes;
    for (std::size_t i = 0; i < want.size(); ++i) {
      EXPECT_EQ(literal::ReadChunkBytes(file.bytes, want[i]), file.chunks[i].data) << file.notes;
      EXPECT_EQ(KindText(want[i]), file.chunks[i].kindField) << file.notes;
      EXPECT_EQ(want[i].Place, i < file.inFront ? TP_PLACE_FRONT : TP_PLACE_SIGNATURE) << file.notes;
    }

    const std::string added = AppendChunkBytes(std::string_view(file.bytes), "NEW", "added");
    ChunkTable after;
    literal::ScanBytes(added, "added", after, nullptr);
    ASSERT_EQ(after.size(), want.size() + 1) << file.notes;
    for (std::size_t i = 0; i < want.size(); ++i) ExpectSameChunk(after[i], added, want[i], file.bytes, file.notes);
    EXPECT_EQ(literal::ReadChunkBytes(added, after.back()), "added") << file.notes;
    EXPECT_EQ(after.back().Place, TP_PLACE_SIGNATURE) << file.notes;

    ChunkTable none;
    literal::ScanBytes(StripTailpackBytes(file.bytes), "stripped", none, nullptr);
    EXPECT_EQ(literal::Describe(none), "") << file.notes;

    for (std::size_t index = 1; index <= want.size(); ++index) {
      const std::string cut = CutChunkBytes(file.bytes, got, index);
      ChunkTable kept;
      literal::ScanBytes(cut, "cut", kept, nullptr);
      ASSERT_EQ(kept.size(), want.size() - 1) << file.notes << " cut " << index;
      for (std::size_t i = 0; i < kept.size(); ++i)
        ExpectSameChunk(kept[i], cut, want[i < index - 1 ? i : i + 1], file.bytes, file.notes + " cut " + std::to_string(index));
    }
  }
}

}  // namespace
