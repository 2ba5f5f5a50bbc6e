// Reads of a chunk check the file against the table it was found in: a file swapped or rewritten
// between the scan and the read fails with the changed-file error, and nothing is written.
#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <functional>

#include "store/chunk_data.h"
#include "store/chunk_file.h"
#include "store/chunk_find.h"
#include "store/content.h"
#include "store/scan.h"
#include "tests/store/fault_files.h"
#include "tests/store/helpers.h"

namespace {

// Rewrites path with bytes and gives it back the modification time it had, as a program that
// keeps times would: only the file's identity or its bytes tell the change.
void RewriteKeepingTime(const std::string& path, const std::string& bytes, bool inPlace) {
  struct stat before;
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  const std::string target = inPlace ? path : path + ".new";
  PutFile(target, bytes);
  const timespec times[2] = {before.st_atim, before.st_mtim};
  ASSERT_EQ(utimensat(AT_FDCWD, target.c_str(), times, 0), 0);
  if (!inPlace) std::filesystem::rename(target, path);
}

TEST(ChunkRead, FileChangedBetweenScanAndReadIsRefused) {
  const std::string body(100, 'M');
  const std::string before = body + "AAAA00000004AAA{TlPk}" + "BBBB00000004BBB{TlPk}";
  // The same size, with chunk 1 gone and a longer chunk in its place: stale offsets would read
  // BBB's bytes as AAA's.
  const std::string after = body + std::string(25, 'B') + "00000019BBB{TlPk}";
  ASSERT_EQ(before.size(), after.size());
  struct Case {
    const char* what;
    bool inPlace;  // rewritten in place (same identity, size and time) or another file renamed over it
    bool stamped;  // the read is given the scan's stamp (the window) or finds its chunk itself (the CLI)
    const char* changeBefore;  // the primitive before whose call the file changes
  };
  const Case cases[] = {
      {"renamed over, window's read", false, true, "OpenForRead"},
      {"rewritten in place, window's read", true, true, "OpenForRead"},
      {"rewritten in place during the copy, command line's read", true, false, "CopyRange"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    const std::string exe = dir.File("app.exe"), out = dir.File("app.tpak.aaa");
    PutFile(exe, before);
    ChunkTable table;
    platform::FileStamp stamp;
    ASSERT_TRUE(ScanTailpack(exe, table, &stamp).ok());
    ASSERT_EQ(table.size(), 2u);
    ChunkFile file;
    if (!c.stamped) {
      ASSERT_TRUE(file.Open(exe).ok());
    }
    BeforeNextCall(c.changeBefore, [&] { RewriteKeepingTime(exe, after, c.inPlace); });
    Status status = c.stamped ? file.Open(exe, &stamp) : Status::Success();
    if (status.ok()) status = ExtractChunk(file, table[0], out);
    EXPECT_TRUE(IsChangedOnDisk(status)) << status.message;
    EXPECT_EQ(status.message, std::string(kChangedOnDisk) + ": " + exe);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"app.exe"});

    // Standard output gets nothing either when the file changed before the copy.
    if (!c.stamped) continue;
    ChunkFile again;
    ASSERT_TRUE(again.Open(exe).ok());
    EXPECT_TRUE(IsChangedOnDisk(again.CopyTo(table[0], platform::kNoFile)));
  }
  BeforeNextCall("", {});
}

// The chunk numbers as listed come from walks that hold no table.
TEST(ChunkRead, FindsChunksByNumberAndKind) {
  ScratchDir dir;
  const std::string exe = dir.File("app.exe");
  PutFile(exe, std::string(50, 'M') + "a00000001TXT{TlPk}" + "bb00000002BIN{TlPk}" + "c00000001TXT{TlPk}");
  ChunkTable table;
  ASSERT_TRUE(ScanTailpack(exe, table).ok());
  ChunkFile file;
  ASSERT_TRUE(file.Open(exe).ok());
  for (std::size_t number = 0; number <= 4; ++number) {
    FoundChunk chunk;
    ASSERT_TRUE(FindChunk(file, number, chunk).ok());
    EXPECT_EQ(chunk.count, 3u);
    EXPECT_EQ(chunk.found, number >= 1 && number <= 3) << number;
    if (chunk.found) {
      EXPECT_EQ(chunk.record, table[number - 1]) << number;
    }
  }
  FoundChunk txt, png;
  ASSERT_TRUE(FindChunkOfKind(file, "TXT", txt).ok());
  ASSERT_TRUE(FindChunkOfKind(file, "PNG", png).ok());
  EXPECT_TRUE(txt.found);
  EXPECT_EQ(txt.record, table[2]);  // the newest of that kind
  EXPECT_FALSE(png.found);
}

}  // namespace
