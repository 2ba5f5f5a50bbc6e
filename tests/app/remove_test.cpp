#include "app_fixture.h"
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "app/list_habits.h"
#include "platform/file_lock.h"

#include "store/edit.h"
#include "tests/store/fault_files.h"
#include "tests/support/pe_image.h"

namespace {

using namespace apptest;

const std::vector<Chunk> kFour = {{"ONE", "first"}, {"TWO", std::string("sec\0nd", 6)}, {"THR", "{TlPk}"}, {"FOU", "4"}};

std::vector<Chunk> Without(std::vector<Chunk> chunks, std::size_t index) {
  chunks.erase(chunks.begin() + static_cast<std::ptrdiff_t>(index - 1));
  return chunks;
}

TEST_F(MainWindowTest, ConfirmationsAskAndNoChangesNothing) {
  struct Case {
    int button;
    const char* caption;
  };
  for (const Case& c : {Case{kRemoveOneButton, "stowr - remove one"}, Case{kRemoveAllButton, "stowr - remove all"}}) {
    SCOPED_TRACE(c.caption);
    fake::Reset();
    std::string path = UseExe(kFour);
    std::string before = ReadFile(path);
    int redrawsBefore = 0;
    fake::QueueMessageAnswer(ui::kIdNo);
    fake::WindowRecord& main = RunMain([&](ui::Window w) {
      redrawsBefore = fake::Record(w).redraws;
      fake::Click(w, c.button);
    });
    ASSERT_EQ(fake::Messages().size(), 1u);
    EXPECT_EQ(fake::Messages()[0].owner, static_cast<ui::Window>(&main));
    EXPECT_EQ(fake::Messages()[0].text, "Are you sure?");
    EXPECT_EQ(fake::Messages()[0].caption, c.caption);
    EXPECT_EQ(fake::Messages()[0].flags, 0x24u);
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(main.redraws, redrawsBefore);
  }
}

TEST_F(MainWindowTest, RemoveOneCutsExactlyTheSelectedChunk) {
  for (std::size_t index = 1; index <= kFour.size(); ++index) {
    SCOPED_TRACE(index);
    fake::Reset();
    std::string path = UseExe(kFour);
    fake::QueueMessageAnswer(ui::kIdYes);
    fake::WindowRecord& main = RunMain([&](ui::Window w) {
      fake::SelectRows(w, kChunkList, {static_cast<int>(index) - 1});
      fake::Click(w, kRemoveOneButton);
    });
    EXPECT_EQ(ReadFile(path), WithChunks(Body(1024), Without(kFour, index)));
    const auto& rows = ControlOf(main, kChunkList).rows;
    ASSERT_EQ(rows.size(), 3u);
    for (std::size_t r = 0; r < rows.size(); ++r) EXPECT_EQ(rows[r][0], std::to_string(r + 1));
    EXPECT_EQ(ControlOf(main, kCountLabel).text, "3 chunks of data detected:");
    EXPECT_EQ(ControlOf(main, kChunkList).selected, std::set<int>{0});
  }
}

TEST_F(MainWindowTest, RemoveOneTakesTheFirstSelectedRow) {
  std::string path = UseExe(kFour);
  fake::QueueMessageAnswer(ui::kIdYes);
  RunMain([](ui::Window w) {
    fake::SelectRows(w, kChunkList, {1, 2});
    fake::Click(w, kRemoveOneButton);
  });
  EXPECT_EQ(ReadFile(path), WithChunks(Body(1024), Without(kFour, 2)));
}

TEST_F(MainWindowTest, RemoveOneWithoutSelectionDoesNothing) {
  std::string path = UseExe(kFour);
  std::string before = ReadFile(path);
  fake::QueueMessageAnswer(ui::kIdYes);
  RunMain([](ui::Window w) {
    fake::SelectRows(w, kChunkList, {});
    fake::Click(w, kRemoveOneButton);
    fake::Click(w, kPreviewButton);
    fake::Click(w, kExtractOneButton);
  });
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_TRUE(fake::Messages().empty());
  EXPECT_TRUE(fake::FileDialogs().empty());
}

TEST_F(MainWindowTest, RemoveAllLeavesTheExecutableBytes) {
  std::string path = UseExe(kFour);
  fake::QueueMessageAnswer(ui::kIdYes);
  fake::WindowRecord& main = RunMain([](ui::Window w) { fake::Click(w, kRemoveAllButton); });
  EXPECT_EQ(ReadFile(path), Body(1024));
  EXPECT_TRUE(ControlOf(main, kChunkList).rows.empty());
  EXPECT_EQ(ControlOf(main, kCountLabel).text, "0 chunk of data detected:");
  EXPECT_TRUE(ChunkButtonsEnabled(main, false));
  EXPECT_TRUE(ControlOf(main, kAddButton).enabled);
}

// The disk did not confirm the rename: the change is made, the list shows it, and a warning (no
// error that would invite removing again) says that it may not have reached the disk.
TEST_F(MainWindowTest, UnconfirmedRemoveIsAWarning) {
  std::string path = UseExe(kFour);
  fake::QueueMessageAnswer(ui::kIdYes);
  fake::WindowRecord& main = RunMain([](ui::Window w) {
    ArmFaultAt("SyncFolder");
    fake::Click(w, kRemoveAllButton);
  });
  EXPECT_TRUE(FaultFired());
  EXPECT_EQ(ReadFile(path), Body(1024));
  EXPECT_EQ(ControlOf(main, kCountLabel).text, "0 chunk of data detected:");
  ASSERT_EQ(fake::Messages().size(), 2u);
  EXPECT_EQ(fake::Messages()[1].caption, "stowr - warning");
  EXPECT_EQ(fake::Messages()[1].flags, ui::kMbOk | ui::kMbIconWarning);
  EXPECT_EQ(fake::Messages()[1].text, "The change may not have reached the disk:\r" + path +
                                          "\rThe change was made, but the disk did not confirm it: Injected fault");
}

// A file with another name (a hard link): the change is made under the name given, and the warning
// says the other name keeps the old content, not that the disk may have missed the change.
TEST_F(MainWindowTest, SplitHardLinkIsAWarningOfItsOwn) {
  std::string path = UseExe(kFour);
  ASSERT_EQ(link(path.c_str(), (path + ".other").c_str()), 0);
  fake::QueueMessageAnswer(ui::kIdYes);
  RunMain([](ui::Window w) { fake::Click(w, kRemoveAllButton); });
  EXPECT_EQ(ReadFile(path), Body(1024));
  ASSERT_EQ(fake::Messages().size(), 2u);
  EXPECT_EQ(fake::Messages()[1].caption, "stowr - warning");
  EXPECT_EQ(fake::Messages()[1].text.rfind("The change was made:\r" + path + "\r", 0), 0u) << fake::Messages()[1].text;
  EXPECT_NE(fake::Messages()[1].text.find("1 other name(s) (hard links), which keep the old content"), std::string::npos);
}

void ExpectError(const std::string& firstLine, const std::string& path, const std::string& reason = "") {
  ASSERT_EQ(fake::Messages().size(), 2u);  // the confirmation, then the error
  const fake::MessageRecord& error = fake::Messages()[1];
  EXPECT_EQ(error.caption, "stowr - error");
  EXPECT_EQ(error.flags, ui::kMbOk | ui::kMbIconError);
  std::string start = firstLine + "\r" + path + "\r";
  EXPECT_EQ(error.text.substr(0, start.size()), start);
  EXPECT_GT(error.text.size(), start.size());  // a reason follows
  if (!reason.empty()) {
    EXPECT_EQ(error.text.substr(start.size()), reason);
  }
}

// Someone appended a chunk after the list was filled: the cut is refused, the file keeps every
// byte, and the list shows what the file holds now.
TEST_F(MainWindowTest, RemoveOneRefusesAFileChangedBehindItsBack) {
  std::string path = UseExe(kFour);
  std::string changed = WithChunks(ReadFile(path), {{"NEW", "newer"}});
  fake::QueueMessageAnswer(ui::kIdYes);
  fake::WindowRecord& main = RunMain([&](ui::Window w) {
    WriteFile(path, changed);
    fake::Click(w, kRemoveOneButton);
  });
  EXPECT_EQ(ReadFile(path), changed);
  ExpectError("Could not remove the chunk from file:", path, std::string(kChangedOnDisk));
  EXPECT_EQ(ControlOf(main, kChunkList).rows.size(), 5u);
}

// An executable that cannot take a change is reported before anything is asked, in the words of
// the write: no file dialog, no Add dialog, no confirmation, and (for a drop of two files) once.
TEST_F(MainWindowTest, ExecutableThatCannotChangeIsRefusedBeforeAnyDialog) {
  namespace fs = std::filesystem;
  WriteFile(Path("a.txt"), "a");
  WriteFile(Path("b.txt"), "b");
  const std::vector<std::string> dropped = {Path("a.txt"), Path("b.txt")};
  struct Action {
    const char* name;
    std::function<void(ui::Window)> run;
  };
  const Action actions[] = {
      {"add", [](ui::Window w) { fake::Click(w, kAddButton); }},
      {"drop", [&](ui::Window w) { fake::Send(w, ui::kDropFiles, 0, reinterpret_cast<std::intptr_t>(&dropped)); }},
      {"replace", [](ui::Window w) { ReplaceChunkAction(w); }},
      {"remove one", [](ui::Window w) { fake::Click(w, kRemoveOneButton); }},
      {"remove all", [](ui::Window w) { fake::Click(w, kRemoveAllButton); }},
  };
  struct Cause {
    const char* name;
    std::function<void(const std::string& exe, int& holder)> make;
    const char* reason;
  };
  const Cause causes[] = {
      {"read-only", [](const std::string& exe, int&) { fs::permissions(exe, fs::perms::owner_read); },
       "Permission denied"},
      {"held by another program",
       [](const std::string& exe, int& holder) {
         holder = open(exe.c_str(), O_RDONLY);
         ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
       },
       "The file is in use by another program"},
      {"folder takes no new file", [](const std::string&, int&) { ArmFaultAt("CreateTempBeside"); }, "Injected fault"},
  };
  for (const Cause& cause : causes)
    for (const Action& action : actions) {
      SCOPED_TRACE(std::string(cause.name) + ", " + action.name);
      fake::Reset();
      const std::string exe = UseExe(kFour);
      const std::string before = ReadFile(exe);
      int holder = -1;
      RunMain([&](ui::Window w) {
        cause.make(exe, holder);
        action.run(w);
      });
      if (holder >= 0) close(holder);
      fs::permissions(exe, fs::perms::owner_all);
      ASSERT_EQ(fake::Messages().size(), 1u);
      EXPECT_EQ(fake::Messages()[0].caption, "stowr - error");
      EXPECT_EQ(fake::Messages()[0].text, "Could not write file:\r" + exe + "\r" + cause.reason);
      EXPECT_TRUE(fake::FileDialogs().empty());
      EXPECT_EQ(fake::FindWindow(kAddDialogTitle), nullptr);
      EXPECT_EQ(ReadFile(exe), before);
    }
}

// Another stowr change of the file is no refusal: the removal asks, waits for it and is made.
TEST_F(MainWindowTest, FileHeldByAnotherChangeIsWaitedFor) {
  const std::string exe = UseExe(kFour);
  platform::FileLock other;
  ASSERT_TRUE(other.Take(exe, 0).ok());
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    other.Release();
  });
  fake::QueueMessageAnswer(ui::kIdYes);
  RunMain([](ui::Window w) { fake::Click(w, kRemoveAllButton); });
  release.join();
  ASSERT_EQ(fake::Messages().size(), 1u);
  EXPECT_EQ(fake::Messages()[0].caption, "stowr - remove all");
  EXPECT_EQ(ReadFile(exe), Body(1024));
}

TEST_F(MainWindowTest, VanishedExecutableIsNotRecreated) {
  for (int button : {kRemoveOneButton, kRemoveAllButton}) {
    SCOPED_TRACE(button);
    fake::Reset();
    std::string path = UseExe(kFour);
    fake::QueueMessageAnswer(ui::kIdYes);
    fake::WindowRecord& main = RunMain([&](ui::Window w) {
      std::filesystem::remove(path);
      fake::Click(w, button);
    });
    EXPECT_FALSE(std::filesystem::exists(path));
    ExpectError(button == kRemoveOneButton ? "Could not remove the chunk from file:" : "Could not read file:", path);
    EXPECT_TRUE(ControlOf(main, kChunkList).rows.empty());
    EXPECT_TRUE(ChunkButtonsEnabled(main, false));
  }
}

// A signed program with chunks in front of its certificate table (added before signing) and
// inside it. A removal that changes signed bytes is asked about first, in a box of its own; No
// there changes nothing and asks nothing more. Removals inside the table ask only as always.
TEST_F(MainWindowTest, RemovalsThatBreakASignatureAskFirst) {
  std::string front = pe_image::MinimalPe(true);
  front = WithChunks(front, {{"OLD", "before signing"}});
  front.append((8 - front.size() % 8) % 8, '\0');
  const std::string program = WithChunks(pe_image::Signed(front), {{"NEW", "inside"}});
  const std::string signature = "This program is digitally signed, and removing ";
  struct Case {
    const char* name;
    int button;
    int row;                    // selected, 0-based
    std::vector<int> answers;   // to the boxes, in order
    std::vector<std::string> captions;
    bool changed;
  } cases[] = {
      {"front chunk, kept", kRemoveOneButton, 0, {ui::kIdNo}, {"stowr - signature"}, false},
      {"front chunk, removed", kRemoveOneButton, 0, {ui::kIdYes, ui::kIdYes}, {"stowr - signature", "stowr - remove one"}, true},
      {"front chunk, not sure", kRemoveOneButton, 0, {ui::kIdYes, ui::kIdNo}, {"stowr - signature", "stowr - remove one"}, false},
      {"chunk inside the table", kRemoveOneButton, 1, {ui::kIdYes}, {"stowr - remove one"}, true},
      {"all, with a front chunk", kRemoveAllButton, 0, {ui::kIdYes, ui::kIdYes}, {"stowr - signature", "stowr - remove all"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    std::string path = Path("app.exe");
    WriteFile(path, program);
    ExePath() = path;
    for (int answer : c.answers) fake::QueueMessageAnswer(answer);
    RunMain([&](ui::Window w) {
      fake::SelectRows(w, kChunkList, {c.row});
      fake::Click(w, c.button);
    });
    std::vector<std::string> captions;
    for (const auto& message : fake::Messages()) captions.push_back(message.caption);
    EXPECT_EQ(captions, c.captions);
    if (captions == c.captions && c.captions[0] == "stowr - signature") {
      EXPECT_EQ(fake::Messages()[0].text.rfind(signature, 0), 0u);
      EXPECT_EQ(fake::Messages()[0].flags, 0x134u);  // Yes and No, a warning, No as the default
    }
    EXPECT_EQ(ReadFile(path) != program, c.changed);
  }
  // Removing all from a program whose chunks are all inside the table keeps its signature: only
  // the usual question, and the signed bytes come back.
  std::string path = Path("app.exe");
  WriteFile(path, WithChunks(pe_image::Signed(pe_image::MinimalPe(true)), {{"NEW", "inside"}}));
  fake::Reset();
  fake::QueueMessageAnswer(ui::kIdYes);
  RunMain([](ui::Window w) { fake::Click(w, kRemoveAllButton); });
  ASSERT_EQ(fake::Messages().size(), 1u);
  EXPECT_EQ(ReadFile(path), pe_image::Signed(pe_image::MinimalPe(true)));
}

// A removal whose new file could not keep the executable's owner is asked about first, in a box
// of its own that names both owners; No there changes nothing and asks nothing more.
TEST_F(MainWindowTest, RemovalsThatChangeTheOwnerAskFirst) {
  const std::string refusal = "The file belongs to root:root, and the new file that replaces it would belong to "
                              "nobody:nogroup";
  struct Case {
    int button;
    std::vector<int> answers;
    std::vector<std::string> captions;
    bool changed;
  } cases[] = {
      {kRemoveOneButton, {ui::kIdNo}, {"stowr - owner"}, false},
      {kRemoveAllButton, {ui::kIdYes, ui::kIdYes}, {"stowr - owner", "stowr - remove all"}, true},
  };
  FakeOwnerChange(refusal);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.captions.back());
    fake::Reset();
    const std::string path = UseExe(kFour);
    const std::string before = ReadFile(path);
    for (int answer : c.answers) fake::QueueMessageAnswer(answer);
    RunMain([&](ui::Window w) {
      fake::SelectRows(w, kChunkList, {0});
      fake::Click(w, c.button);
    });
    std::vector<std::string> captions;
    for (const auto& message : fake::Messages()) captions.push_back(message.caption);
    EXPECT_EQ(captions, c.captions);
    ASSERT_FALSE(fake::Messages().empty());
    EXPECT_NE(fake::Messages()[0].text.find(refusal + ".\r\rRemove "), std::string::npos);
    EXPECT_EQ(fake::Messages()[0].flags, 0x134u);  // Yes and No, a warning, No as the default
    EXPECT_EQ(ReadFile(path) != before, c.changed);
  }
  FakeOwnerChange("");
}

}  // namespace
