#include "app_fixture.h"
#include "app/about.h"
#include "app/selection.h"
#include "tools/add_dialog.h"

namespace {

using namespace apptest;

// What the user reads on the Main window, and that it has no owner. Its window menu's last item
// tells the project's version.
TEST_F(MainWindowTest, TextsColumnsAndNoOwner) {
  fake::WindowRecord& main = RunMain([](ui::Window w) { fake::Click(w, kAboutCommand); });
  ASSERT_EQ(main.windowMenu.size(), 1u);
  EXPECT_EQ(main.windowMenu[0].text, "About stowr...");
  ASSERT_EQ(fake::Messages().size(), 1u);
  EXPECT_EQ(fake::Messages()[0].caption, "stowr - about");
  EXPECT_EQ(fake::Messages()[0].text.rfind("stowr - Tailpack Manager\rVersion " STOWR_VERSION "\r", 0), 0u);
  EXPECT_EQ(main.layout.title, "stowr - Tailpack Manager v0.1");
  EXPECT_EQ(main.layout.owner, nullptr);
  std::vector<std::string> texts;
  for (const ui::ControlLayout& control : main.layout.controls) texts.push_back(control.text);
  EXPECT_EQ(texts, (std::vector<std::string>{"Exe:", "<none>", "...", "0 chunk of data detected:", "", "Add Tailpack",
                                             "Remove One", "Remove All", "Preview", "Extract One", "Extract All"}));
  std::vector<std::string> columns;
  for (const ui::Column& c : ControlOf(main, kChunkList).columns) columns.push_back(c.header);
  EXPECT_EQ(columns, (std::vector<std::string>{"#", "ID", "Type", "Size", "Offset"}));
}

TEST_F(MainWindowTest, StartsEmptyWithoutExecutable) {
  fake::WindowRecord& main = RunMain();
  EXPECT_EQ(ControlOf(main, kPathLabel).text, "");
  EXPECT_EQ(ControlOf(main, kCountLabel).text, "0 chunk of data detected:");
  EXPECT_TRUE(ControlOf(main, kChunkList).rows.empty());
  EXPECT_FALSE(ControlOf(main, kAddButton).enabled);
  EXPECT_TRUE(ControlOf(main, kChooseButton).enabled);
  EXPECT_TRUE(ChunkButtonsEnabled(main, false));
  EXPECT_EQ(main.endValue, 0);
  EXPECT_TRUE(fake::Messages().empty());
}

TEST_F(MainWindowTest, ExecutableWithoutChunksOrMissing) {
  for (bool exists : {true, false}) {
    SCOPED_TRACE(exists);
    fake::Reset();
    std::string path = exists ? UseExe({}) : Path("gone.exe");
    ExePath() = path;
    fake::WindowRecord& main = RunMain();
    EXPECT_EQ(ControlOf(main, kPathLabel).text, path);
    EXPECT_TRUE(ControlOf(main, kAddButton).enabled);
    EXPECT_TRUE(ChunkButtonsEnabled(main, false));
    EXPECT_EQ(ControlOf(main, kCountLabel).text, "0 chunk of data detected:");
    EXPECT_TRUE(fake::Messages().empty());
    EXPECT_EQ(std::filesystem::exists(path), exists);
  }
}

TEST_F(MainWindowTest, RowsShowEveryChunkInFileOrder) {
  std::string zeroLast = std::string(2047, 'x') + '\0';
  std::string text = "tab\there\r\nhigh \xC3\xA9\xFF";
  UseExe({{"TXT", zeroLast}, {"AB", text}, {"PNG", std::string("\x89PNG\0\0", 6)}});
  // A zero-length chunk can only come from elsewhere: write its trailer by hand.
  std::string bytes = ReadFile(ExePath()) + "00000000EMP{TlPk}";
  WriteFile(ExePath(), bytes);

  fake::WindowRecord& main = RunMain();
  const std::vector<std::vector<std::string>> expected = {
      {"1", "TXT", "Binary", "2,048 B", "@ 1,025"},
      {"2", " AB", "Text", "18 B", "@ 3,090"},
      {"3", "PNG", "Binary", "6 B", "@ 3,125"},
      {"4", "EMP", "Text", "0 B", "@ 3,148"},
  };
  EXPECT_EQ(ControlOf(main, kChunkList).rows, expected);
  EXPECT_EQ(ControlOf(main, kChunkList).selected, std::set<int>{0});
  EXPECT_EQ(ControlOf(main, kCountLabel).text, "4 chunks of data detected:");
  EXPECT_TRUE(ChunkButtonsEnabled(main, true));
  EXPECT_EQ(Chunks().size(), 4u);
  EXPECT_GE(main.redraws, 1);
}

TEST_F(MainWindowTest, CountLabelSingularAndPlural) {
  const std::pair<int, const char*> cases[] = {{1, "1 chunk of data detected:"}, {2, "2 chunks of data detected:"}};
  for (const auto& [count, text] : cases) {
    fake::Reset();
    UseExe(std::vector<Chunk>(static_cast<std::size_t>(count), {"BIN", "data"}));
    EXPECT_EQ(ControlOf(RunMain(), kCountLabel).text, text);
  }
}

TEST_F(MainWindowTest, UnreadableExecutableIsReported) {
  std::string path = Path("folder.exe");
  std::filesystem::create_directory(path);
  ExePath() = path;
  fake::WindowRecord& main = RunMain();
  EXPECT_TRUE(Chunks().empty());
  EXPECT_TRUE(ChunkButtonsEnabled(main, false));
  ASSERT_EQ(fake::Messages().size(), 1u);
  EXPECT_EQ(fake::Messages()[0].caption, "stowr - error");
  EXPECT_EQ(fake::Messages()[0].flags, ui::kMbOk | ui::kMbIconError);
  EXPECT_EQ(fake::Messages()[0].text.rfind("Could not read file:\r" + path + "\r", 0), 0u);
  EXPECT_TRUE(fake::Messages()[0].ownerShown);
}

// Paths that can name no file at all are taken as a missing file: no chunks, no message.
TEST_F(MainWindowTest, PathThatNamesNothingListsNoChunks) {
  WriteFile(Path("plain.exe"), Body(10));
  for (const std::string& path : {Path("plain.exe/inner.exe"), Path(std::string(300, 'x') + ".exe")}) {
    fake::Reset();
    ExePath() = path;
    fake::WindowRecord& main = RunMain();
    EXPECT_EQ(ControlOf(main, kPathLabel).text, path);
    EXPECT_EQ(ControlOf(main, kCountLabel).text, "0 chunk of data detected:");
    EXPECT_TRUE(fake::Messages().empty());
  }
}

TEST_F(MainWindowTest, ChooserAsksForAnExecutable) {
  std::string chosen = Path("chosen.exe");
  WriteFile(chosen, WithChunks(Body(10), {{"ONE", "1"}, {"TWO", "2"}}));
  fake::QueueFileAnswer(chosen);
  fake::WindowRecord& main = RunMain([](ui::Window w) { fake::Click(w, kChooseButton); });

  ASSERT_EQ(fake::FileDialogs().size(), 1u);
  const fake::FileDialogRecord& dialog = fake::FileDialogs()[0];
  EXPECT_FALSE(dialog.save);
  EXPECT_EQ(dialog.owner, static_cast<ui::Window>(&main));
  EXPECT_EQ(dialog.options.title, "Select Program");
  EXPECT_EQ(dialog.options.filterDescription, "Windows Executable");
  EXPECT_EQ(dialog.options.filterPattern, "*.exe");
  EXPECT_EQ(dialog.options.defaultExtension, "EXE");
  EXPECT_EQ(dialog.options.initialFolder, std::filesystem::current_path().string());
  EXPECT_EQ(dialog.options.initialName, "");
  EXPECT_TRUE(dialog.options.flags & ui::kOfnFileMustExist);
  EXPECT_TRUE(dialog.options.flags & ui::kOfnNoChangeDir);

  EXPECT_EQ(ExePath(), chosen);
  EXPECT_EQ(ControlOf(main, kPathLabel).text, chosen);
  EXPECT_EQ(ControlOf(main, kChunkList).rows.size(), 2u);
  EXPECT_TRUE(ControlOf(main, kAddButton).enabled);
}

TEST_F(MainWindowTest, CancelledChooserChangesNothing) {
  std::string path = UseExe({{"ONE", "1"}});
  int redrawsBefore = 0;
  fake::WindowRecord& main = RunMain([&](ui::Window w) {
    fake::SelectRows(w, kChunkList, {});
    redrawsBefore = fake::Record(w).redraws;
    fake::Click(w, kChooseButton);  // nothing queued: cancelled
  });
  EXPECT_EQ(ExePath(), path);
  EXPECT_EQ(main.redraws, redrawsBefore);
  EXPECT_EQ(ControlOf(main, kChunkList).rows.size(), 1u);
  EXPECT_TRUE(ControlOf(main, kChunkList).selected.empty());
  EXPECT_TRUE(ChunkButtonsEnabled(main, true));
}

// Only clicks (codes 0 and 1) act; Enter, Escape and unknown ids neither act nor end the window.
TEST_F(MainWindowTest, CommandsDispatchOnIdAndCode) {
  UseExe({{"ONE", "1"}});
  bool endedByKeys = true;
  RunMain([&](ui::Window w) {
    fake::PressEnter(w);
    fake::PressEscape(w);
    fake::Click(w, 1012);
    fake::Send(w, ui::kCommand, (2u << 16) | kChooseButton);  // another notification
    endedByKeys = fake::Record(w).ended;
    fake::Send(w, ui::kCommand, (1u << 16) | kChooseButton);  // accelerator
  });
  EXPECT_FALSE(endedByKeys);
  EXPECT_EQ(fake::FileDialogs().size(), 1u);
  EXPECT_TRUE(fake::Messages().empty());
}

TEST_F(MainWindowTest, SelectedChunkNamesOnlyExistingRecords) {
  UseExe({{"ONE", "1"}, {"TWO", "2"}, {"THR", "3"}});
  struct Case {
    std::set<int> rows;
    std::size_t index;
  };
  const Case cases[] = {{{}, 0}, {{0}, 1}, {{1, 2}, 2}, {{2}, 3}};
  RunMain([&](ui::Window w) {
    for (const Case& c : cases) {
      fake::SelectRows(w, kChunkList, c.rows);
      EXPECT_EQ(SelectedChunk(w), c.index);
    }
    Chunks().pop_back();  // the list now shows a row the table does not have
    fake::SelectRows(w, kChunkList, {2});
    EXPECT_EQ(SelectedChunk(w), 0u);
  });
}

// Extract One takes the first selected row and does nothing without one; neither extraction
// changes the list or the buttons.
TEST_F(MainWindowTest, ExtractButtonsUseTheFirstSelectedRow) {
  UseExe({{"ABC", "one"}, {"DEF", "two"}, {"GHI", "three"}});
  fake::QueueFileAnswer(Path("out.bin"));
  fake::WindowRecord& main = RunMain([](ui::Window w) {
    fake::SelectRows(w, kChunkList, {});
    fake::Click(w, kExtractOneButton);
    fake::SelectRows(w, kChunkList, {1, 2});
    fake::Click(w, kExtractOneButton);
    fake::Click(w, kExtractAllButton);
  });
  EXPECT_EQ(fake::FileDialogs().size(), 1u);
  EXPECT_EQ(ReadFile(Path("out.bin")), "two");
  EXPECT_EQ(ReadFile(Path("app.tpak.ghi")), "three");
  EXPECT_EQ(fake::Messages().size(), 2u);
  EXPECT_EQ(main.redraws, 1);
  EXPECT_EQ(fake::Rows(&main, kChunkList).size(), 3u);
  EXPECT_TRUE(ChunkButtonsEnabled(main, true));
}

// Dropped files: one executable (any case of .exe) is opened as if chosen with "...", even over
// an open one; other files go in turn to their own Add dialog when an executable is open (Escape
// skips one), and are ignored when none is. An executable among several files is refused, and
// nothing else is done. No file dialog is shown in any case.
TEST_F(MainWindowTest, DroppedFilesOpenOrAdd) {
  struct Case {
    bool exeOpen;
    std::vector<std::string> dropped;
    std::vector<const char*> typed;  // into each Add dialog; nullptr: Escape
    std::string wantExe;             // "" when none is open afterwards
    std::vector<std::vector<std::string>> wantRows;
    std::vector<std::string> wantMessages;
  };
  const std::string other = Path("OTHER.EXE"), data = Path("data.bin"), more = Path("more.txt");
  WriteFile(other, WithChunks(Body(10), {{"OTH", "o"}}));
  WriteFile(data, "payload");
  WriteFile(more, "more");
  const std::string app = Path("app.exe");
  const std::vector<std::string> abc = {"1", "ABC", "Text", "3 B", "@ 1,025"};
  const std::vector<std::string> oth = {"1", "OTH", "Text", "1 B", "@ 11"};
  const std::vector<Case> cases = {
      {false, {other}, {}, other, {oth}, {}},
      {true, {other}, {}, other, {oth}, {}},
      {true, {data}, {"new"}, app, {abc, {"2", "NEW", "Text", "7 B", "@ 1,045"}}, {}},
      {false, {data}, {}, "", {}, {}},
      {true, {data, more}, {"new", "mor"}, app,
       {abc, {"2", "NEW", "Text", "7 B", "@ 1,045"}, {"3", "MOR", "Text", "4 B", "@ 1,069"}}, {}},
      {true, {data, more}, {nullptr, "mor"}, app, {abc, {"2", "MOR", "Text", "4 B", "@ 1,045"}}, {}},
      {true, {data, other}, {}, app, {abc}, {"Drop one executable at a time"}},
      {false, {other, other}, {}, "", {}, {"Drop one executable at a time"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dropped.size()) + " file(s), the first " + c.dropped[0] +
                 (c.exeOpen ? ", over app.exe" : ", on an empty window"));
    fake::Reset();
    ExePath().clear();
    if (c.exeOpen) UseExe({{"ABC", "one"}});
    for (const char* typed : c.typed)
      fake::QueueStep(kAddDialogTitle, [typed](ui::Window w) {
        if (!typed) return fake::PressEscape(w);
        ui::SetText(w, kDescriptorBox, typed);
        fake::PressEnter(w);
      });
    fake::WindowRecord& main = RunMain([&](ui::Window w) {
      fake::Send(w, ui::kDropFiles, 0, reinterpret_cast<std::intptr_t>(&c.dropped));
    });
    EXPECT_TRUE(main.acceptsDrops);
    EXPECT_EQ(ExePath(), c.wantExe);
    EXPECT_EQ(ControlOf(main, kPathLabel).text, c.wantExe);
    EXPECT_EQ(fake::Rows(&main, kChunkList), c.wantRows);
    std::vector<std::string> messages;
    for (const fake::MessageRecord& message : fake::Messages()) messages.push_back(message.text);
    EXPECT_EQ(messages, c.wantMessages);
    EXPECT_TRUE(fake::FileDialogs().empty());
  }
}

}  // namespace
