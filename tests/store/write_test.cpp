// The atomic whole-file write: a failure at any file call leaves the target as it was and no
// temporary file behind; protected targets and folders are refused, not got round.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "store/edit.h"
#include "store/scan.h"
#include "store/wholefile.h"
#include "tests/store/fault_files.h"
#include "tests/store/helpers.h"

namespace {

using namespace std::string_literals;

mode_t ModeOf(const std::string& path) {
  struct stat info;
  stat(path.c_str(), &info);
  return info.st_mode & 07777;
}

// Fails the 1st, 2nd, 3rd... file call of one write until the write gets through. After every
// run the target is either exactly as before (and the write reported failure) or exactly the new
// content (and the write reported success), and the folder holds nothing else.
TEST(AtomicWrite, EveryFailurePointKeepsTheOldFile) {
  const std::string before = "MZ" + std::string(3000, '\x90') + "one" + MakeTrailer(3, "ONE") + "two" +
                             MakeTrailer(3, "TWO");
  struct Case {
    const char* name;
    std::function<Content(const std::string&)> edit;
  };
  const Case cases[] = {
      {"append", [](const std::string& p) { return AppendChunk(ExeFile{p}, "NEW", "data").content; }},
      {"strip", [](const std::string& p) { return StripTailpack(p).content; }},
      {"cut",
       [](const std::string& p) {
         ChunkTable table;
         ScanTailpack(p, table);
         return CutChunk(p, table, 1).content;
       }},
      {"bytes",
       [](const std::string&) {
         Content c;
         c.pieces.push_back(Piece{false, 0, 0, "replaced"});
         return c;
       }},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    std::string path = dir.File("app.exe");
    PutFile(path, before);
    chmod(path.c_str(), 0751);
    Content content = c.edit(path);
    ASSERT_TRUE(WriteWholeFile(content, dir.File("expected")).ok());
    const std::string after = GetFile(dir.File("expected"));
    ASSERT_NE(after, before) << c.name;
    std::remove(dir.File("expected").c_str());

    bool done = false;
    int n = 1;
    for (; n < 50 && !done; ++n) {
      ArmFault(n);
      Status status = WriteWholeFile(content, path);
      bool fired = FaultFired();
      ArmFault(0);
      EXPECT_EQ(GetFile(path), status.ok() ? after : before) << c.name << " fault at call " << n;
      EXPECT_EQ(status.ok(), !fired) << c.name << " fault at call " << n << ": " << status.message;
      EXPECT_EQ(dir.Names(), std::vector<std::string>{"app.exe"}) << c.name << " fault at call " << n;
      EXPECT_EQ(ModeOf(path), 0751u) << c.name;
      done = !fired;
      if (status.ok()) PutFile(path, before);
    }
    EXPECT_TRUE(done) << c.name;
    EXPECT_GE(n, 6) << c.name << ": fewer file calls than a checked, flushed replace needs";
  }
}

TEST(AtomicWrite, SourceChangedSinceTheEdit) {
  ScratchDir dir;
  std::string path = dir.File("app.exe");
  PutFile(path, "EXE" + "a"s + MakeTrailer(1, "ONE"));
  EditResult strip = StripTailpack(path);
  std::string grown = GetFile(path) + "more";
  PutFile(path, grown);
  Status status = WriteWholeFile(strip.content, path);
  EXPECT_EQ(status.message, kChangedOnDisk);
  EXPECT_EQ(GetFile(path), grown);
  std::remove(path.c_str());
  EXPECT_FALSE(WriteWholeFile(strip.content, path).ok());
  EXPECT_FALSE(FileExists(path));
}

// Targets and folders that a plain write could not change are refused with the OS reason; the
// target keeps its bytes and mode, and no temporary file is left.
TEST(AtomicWrite, ProtectedTargetsAndFolders) {
  ScratchDir dir;
  std::string path = dir.File("app.exe");
  PutFile(path, "old");

  chmod(path.c_str(), 0444);  // no write bit for anyone: refused even for root
  Status status = WriteWholeFile("new"s, path);
  EXPECT_EQ(status.code, Status::Failed);
  EXPECT_FALSE(status.message.empty());
  EXPECT_EQ(GetFile(path), "old");
  EXPECT_EQ(ModeOf(path), 0444u);
  chmod(path.c_str(), 0644);

  EXPECT_FALSE(WriteWholeFile("new"s, dir.path.string()).ok());          // a folder
  EXPECT_FALSE(WriteWholeFile("new"s, dir.File("no/such/file")).ok());   // a missing folder
  EXPECT_FALSE(WriteWholeFile("new"s, path + "/below").ok());            // a file as folder
  EXPECT_FALSE(WriteWholeFile("new"s, "/proc/stowr-test").ok());         // a folder nobody may write
  EXPECT_FALSE(FileExists("/proc/stowr-test"));

  if (geteuid() != 0) {
    chmod(dir.path.c_str(), 0555);
    EXPECT_FALSE(WriteWholeFile("new"s, path).ok());
    chmod(dir.path.c_str(), 0755);
  }
  EXPECT_EQ(GetFile(path), "old");
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"app.exe"});

  ASSERT_TRUE(WriteWholeFile(""s, dir.File("fresh")).ok());
  EXPECT_TRUE(FileExists(dir.File("fresh")));
  EXPECT_EQ(GetFile(dir.File("fresh")), "");
}

// A link to the executable stays a link: the file it names gets the new bytes.
TEST(AtomicWrite, FollowsASymbolicLinkToItsFile) {
  ScratchDir dir;
  std::filesystem::create_directory(dir.path / "real");
  std::string real = dir.File("real/app.exe"), link = dir.File("app.exe");
  PutFile(real, "old");
  std::filesystem::create_symlink(real, link);
  ASSERT_TRUE(WriteWholeFile("new"s, link).ok());
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(GetFile(real), "new");
  EXPECT_EQ(dir.Names(), std::vector<std::string>({"app.exe", "real"}));
}

}  // namespace
