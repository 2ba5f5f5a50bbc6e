// The atomic whole-file write: a failure at any file call leaves the target as it was and no
// temporary file behind, a failure after the rename is a success with a warning; protected
// targets and folders are refused, not got round; a source that changed is never written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>

#include "store/chunk_data.h"
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

const std::string kBefore = "MZ" + std::string(3000, '\x90') + "one" + MakeTrailer(3, "ONE") + "two" +
                            MakeTrailer(3, "TWO");

// The edits of the tests below, each computed from the executable at p (and data.bin beside it).
struct Edit {
  const char* name;
  std::function<Content(const std::string& p)> edit;
};

Content AppendFileEdit(const std::string& p) {
  SourceFile data;
  EXPECT_TRUE(StampSource(p.substr(0, p.rfind('/')) + "/data.bin", data).ok());
  return AppendChunk(p, "NEW", data).content;
}

Content CutFirstEdit(const std::string& p) {
  ChunkTable table;
  ScanTailpack(p, table);
  return CutChunk(p, table, 1).content;
}

const Edit kEdits[] = {
    {"append", [](const std::string& p) { return AppendChunk(p, "NEW", "data").content; }},
    {"append file", AppendFileEdit},
    {"strip", [](const std::string& p) { return StripTailpack(p).content; }},
    {"cut", CutFirstEdit},
    {"bytes",
     [](const std::string&) {
       Content c;
       c.pieces.push_back(Piece{false, 0, 0, "replaced"});
       return c;
     }},
};

// Fails the 1st, 2nd, 3rd... file call of one write until the write gets through, with unnamed
// and with named temporary files. After every run the target is either exactly as before (and
// the write reported failure) or exactly the new content (and the write reported success, with a
// warning when the failure came after the rename), and the folder holds nothing else.
TEST(AtomicWrite, EveryFailurePointKeepsTheOldFile) {
  for (bool named : {false, true}) {
    for (const Edit& e : kEdits) {
      SCOPED_TRACE(std::string(e.name) + (named ? ", named temporary file" : ""));
      ScratchDir dir;
      std::string path = dir.File("app.exe");
      PutFile(path, kBefore);
      PutFile(dir.File("data.bin"), "picked file");
      chmod(path.c_str(), 0751);
      Content content = e.edit(path);
      ASSERT_TRUE(WriteWholeFile(content, dir.File("expected")).ok());
      const std::string after = GetFile(dir.File("expected"));
      ASSERT_NE(after, kBefore);
      std::remove(dir.File("expected").c_str());

      UseNamedTemps(named);
      bool done = false, warned = false;
      int n = 1;
      for (; n < 60 && !done; ++n) {
        ArmFault(n);
        Status status = WriteWholeFile(content, path);
        bool fired = FaultFired();
        ArmFault(0);
        EXPECT_EQ(GetFile(path), status.ok() ? after : kBefore) << "fault at call " << n;
        EXPECT_EQ(status.ok(), !fired || !status.warning.empty()) << "fault at call " << n << ": " << status.message;
        EXPECT_EQ(dir.Names(), (std::vector<std::string>{"app.exe", "data.bin"})) << "fault at call " << n;
        EXPECT_EQ(ModeOf(path), 0751u);
        warned = warned || !status.warning.empty();
        done = !fired;
        if (status.ok()) {  // start again from the old file, which is a new file to the edit
          PutFile(path, kBefore);
          content = e.edit(path);
        }
      }
      UseNamedTemps(false);
      EXPECT_TRUE(done);
      EXPECT_TRUE(warned) << "no fault reached the folder sync after the rename";
      EXPECT_GE(n, 7) << "fewer file calls than a checked, flushed replace needs";
    }
  }
}

// While a write is under way the folder shows no temporary file where the system offers unnamed
// files, and one named after the target otherwise, which other users may not open until the
// target's mode comes at the end. Progress comes every few MiB; answering false
// stops the write and leaves the target as it was, with no temporary file.
TEST(AtomicWrite, ProgressShowsTheFolderAndCancelKeepsTheOldFile) {
  const std::string before = std::string(10 << 20, 'b');
  for (bool named : {false, true}) {
    for (int stopAt : {1, 3, 0}) {  // the progress call that answers false; 0: none does
      SCOPED_TRACE(std::to_string(stopAt) + (named ? ", named temporary file" : ""));
      ScratchDir dir;
      std::string path = dir.File("app.exe");
      PutFile(path, before);
      chmod(path.c_str(), 0664);
      Content content = AppendChunk(path, "NEW", "data").content;
      std::set<std::string> seen;
      int calls = 0;
      UseNamedTemps(named);
      Status status = WriteWholeFile(content, path, [&](std::uint64_t done, std::uint64_t total) {
        EXPECT_LE(done, total);
        for (const std::string& name : dir.Names()) {
          seen.insert(name);
          if (name != "app.exe") {
            EXPECT_EQ(ModeOf(dir.File(name)) & 077, 0u) << name;
          }
        }
        return ++calls != stopAt;
      });
      EXPECT_EQ(ModeOf(path), 0664u);
      UseNamedTemps(false);
      EXPECT_EQ(status.code, stopAt ? Status::Code::Cancelled : Status::Code::Ok) << status.message;
      EXPECT_EQ(GetFile(path).size(), before.size() + (stopAt ? 0 : 21));
      EXPECT_EQ(dir.Names(), std::vector<std::string>{"app.exe"});
      if (stopAt == 0) {
        EXPECT_GE(calls, 4);
      }
      ASSERT_EQ(seen.size(), named ? 2u : 1u);
      EXPECT_EQ(seen.rbegin()->substr(0, 18), named ? "app.exe.stowr-tmp-" : "app.exe");
    }
  }
}

// A temporary file of path as an interrupted write leaves it: named, written, closed.
std::string LeftTemp(const std::string& path) {
  platform::Target target;
  platform::TempFile temp;
  EXPECT_TRUE(platform::OpenTarget(path, target).ok());
  EXPECT_TRUE(platform::CreateTempBeside(target, temp, false).ok());
  close(static_cast<int>(temp.file));
  platform::CloseTarget(target);
  return temp.path.substr(temp.path.rfind('/') + 1);
}

// Temporary files that earlier writes of any file in the folder left behind go with the next write,
// unless a write or a reader holds them or they have another name too; files that merely look like
// them (the user's own, one whose check fails, or holds for another name) stay.
TEST(AtomicWrite, NextWriteRemovesOnlyItsOwnLeftoverTemporaryFiles) {
  ScratchDir dir;
  std::string path = dir.File("app.exe");
  PutFile(path, "old");
  const std::string left = LeftTemp(path), held = LeftTemp(path), read = LeftTemp(path), linked = LeftTemp(path);
  LeftTemp(dir.File("other.exe"));
  std::string forged = left;
  forged.back() = forged.back() == 'a' ? 'b' : 'a';
  std::vector<std::string> kept = {"app.exe.stowr-tmp-backup", "app.exe.stowr-tmp-Ab12Cd", forged,
                                   "other" + left.substr(3), left + ".txt", held, read, linked, "linked"};
  for (const std::string& name : kept)
    if (name != held && name != read && name != linked && name != "linked") PutFile(dir.File(name), "the user's");
  ASSERT_EQ(link(dir.File(linked).c_str(), dir.File("linked").c_str()), 0);
  int holder = open(dir.File(held).c_str(), O_RDONLY);
  ASSERT_EQ(flock(holder, LOCK_EX), 0);
  int reader = open(dir.File(read).c_str(), O_RDONLY);
  ASSERT_TRUE(WriteWholeFile("new"s, path).ok());
  close(holder);
  close(reader);
  EXPECT_EQ(GetFile(path), "new");
  kept.push_back("app.exe");
  const std::vector<std::string> names = dir.Names();
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()), std::set<std::string>(kept.begin(), kept.end()));
  EXPECT_EQ(GetFile(dir.File("app.exe.stowr-tmp-backup")), "the user's");
}

// Changes the byte at offset and sets the modification time `seconds` later than it was: with 0,
// only the bytes tell.
void ChangeByte(const std::string& path, std::size_t offset, int seconds) {
  struct stat info;
  stat(path.c_str(), &info);
  std::string bytes = GetFile(path);
  bytes[offset] = 'X';
  PutFile(path, bytes);
  info.st_mtim.tv_sec += seconds;
  const timespec times[2] = {info.st_atim, info.st_mtim};
  utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// A source that changed between the edit and the write, or during the copy, is refused with
// kChangedOnDisk and nothing is written: grown, shrunk, rewritten with a new time, a trailer the
// edit relies on changed behind an unchanged size and time, gone.
TEST(AtomicWrite, SourceChangedSinceTheEdit) {
  const std::string tailOnly = "one" + MakeTrailer(3, "ONE");  // stripped, nothing is left
  struct Case {
    const char* what;
    std::string before;
    std::function<Content(const std::string&)> edit;
    std::function<void(const std::string& exe, const std::string& data)> change;
    bool duringCopy;
  };
  const auto grow = [](const std::string& exe, const std::string&) { PutFile(exe, GetFile(exe) + "more"); };
  const auto newestKind = [](const std::string& exe, const std::string&) { ChangeByte(exe, kBefore.size() - 9, 0); };
  const auto oldestKind = [](const std::string& exe, const std::string&) { ChangeByte(exe, kBefore.find("ONE"), 0); };
  const Case cases[] = {
      {"strip, grown", kBefore, kEdits[2].edit, grow, false},
      {"strip to nothing, grown", tailOnly, kEdits[2].edit, grow, false},
      {"strip, newest trailer changed", kBefore, kEdits[2].edit, newestKind, false},
      {"strip, oldest trailer changed", kBefore, kEdits[2].edit, oldestKind, false},
      {"cut, its trailer changed", kBefore, CutFirstEdit, oldestKind, false},
      {"cut, newest trailer changed", kBefore, CutFirstEdit, newestKind, false},
      {"cut, body rewritten later", kBefore, CutFirstEdit,
       [](const std::string& exe, const std::string&) { ChangeByte(exe, 5, 1); }, false},
      {"append, grown during the copy", kBefore, kEdits[0].edit, grow, true},
      {"append file, data grown", kBefore, AppendFileEdit,
       [](const std::string&, const std::string& data) { PutFile(data, "picked file, longer"); }, false},
      {"append file, data gone", kBefore, AppendFileEdit,
       [](const std::string&, const std::string& data) { std::remove(data.c_str()); }, false},
      {"strip, gone", kBefore, kEdits[2].edit, [](const std::string& exe, const std::string&) { std::remove(exe.c_str()); },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir dir;
    std::string path = dir.File("app.exe"), data = dir.File("data.bin");
    PutFile(path, c.before);
    PutFile(data, "picked file");
    Content content = c.edit(path);
    bool changed = false;
    auto changeOnce = [&] {
      if (!changed) c.change(path, data);
      changed = true;
    };
    if (!c.duringCopy) changeOnce();
    const std::string expected = FileExists(path) ? GetFile(path) : "";
    Status status = WriteWholeFile(content, path, [&](std::uint64_t, std::uint64_t) {
      if (c.duringCopy) changeOnce();
      return true;
    });
    EXPECT_EQ(status.message.substr(0, kChangedOnDisk.size()), kChangedOnDisk);
    EXPECT_EQ(FileExists(path) ? GetFile(path) : "", c.duringCopy ? c.before + "more" : expected);
  }
}

// Standard output may be a pipe, a terminal or a file opened for appending (a shell's >>), none of
// which the kernel's copy takes: the chunk arrives all the same.
TEST(ChunkCopy, ToAFileOpenedForAppending) {
  ScratchDir dir;
  PutFile(dir.File("app.exe"), "MZ" + std::string(4096, 'c') + MakeTrailer(4096, "BIG"));
  PutFile(dir.File("out"), "first ");
  int out = open(dir.File("out").c_str(), O_WRONLY | O_APPEND);
  ChunkRecord record{3, 4096, "BIG"};
  EXPECT_TRUE(CopyChunk(dir.File("app.exe"), record, out).ok());
  close(out);
  EXPECT_EQ(GetFile(dir.File("out")), "first " + std::string(4096, 'c'));
}

// Targets and folders that a plain write could not change are refused with the OS reason; the
// target keeps its bytes and mode, and no temporary file is left.
TEST(AtomicWrite, ProtectedTargetsAndFolders) {
  ScratchDir dir;
  std::string path = dir.File("app.exe");
  PutFile(path, "old");

  chmod(path.c_str(), 0444);  // no write bit for anyone: refused even for root
  Status status = WriteWholeFile("new"s, path);
  EXPECT_EQ(status.code, Status::Code::Failed);
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

  ASSERT_TRUE(WriteWholeFile(""s, dir.File("fresh")).ok());  // a new file, made as a plain write makes one
  EXPECT_EQ(GetFile(dir.File("fresh")), "");
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(ModeOf(dir.File("fresh")), 0666u & ~mask);
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
