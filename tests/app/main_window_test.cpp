#include "app_fixture.h"
#include "app/selection.h"

namespace {

using namespace apptest;
using namespace ui::style;

constexpr std::uint32_t kDisabled = 0x08000000;
constexpr std::uint32_t kAction = kBsCenter | kBsVCenter | kTabStop | kDisabled;

TEST_F(MainWindowTest, LayoutAsCreated) {
  ui::WindowLayout layout = MainWindowLayout(nullptr);
  EXPECT_EQ(layout.title, "stowr - Tailpack Manager v0.1");
  EXPECT_EQ(layout.clientWidth, 400);
  EXPECT_EQ(layout.clientHeight, 246);
  EXPECT_EQ(layout.style, kPopup | kClipSiblings | kCaption | kSysMenu | kMinimizeBox | kDsModalFrame | kDs3dLook);
  EXPECT_EQ(layout.exStyle, kExControlParent);
  EXPECT_TRUE(layout.centerInWorkArea);
  const ui::ControlLayout expected[] = {
      {1001, ui::kStatic, "Exe:", 8, 9, 40, 16, kSsLeft, 0},
      {1003, ui::kStatic, "<none>", 48, 8, 312, 16, kSsSunken | kSsPathEllipsis, kExStaticEdge},
      {1004, ui::kButton, "...", 360, 7, 32, 18, kBsPushButton | kTabStop, 0},
      {1002, ui::kStatic, "0 chunk of data detected:", 8, 30, 272, 16, kSsLeft, 0},
      {1005, ui::kListView, "", 8, 48, 384, 132, kLvsReport | kLvsShowSelAlways | kLvsOwnerData, 0},
      {1006, ui::kButton, "Add Tailpack", 129, 186, 80, 24, kAction, 0},
      {1007, ui::kButton, "Remove One", 220, 186, 80, 24, kAction, 0},
      {1008, ui::kButton, "Remove All", 312, 186, 80, 24, kAction, 0},
      {1009, ui::kButton, "Preview", 129, 216, 80, 24, kAction, 0},
      {1010, ui::kButton, "Extract One", 220, 216, 80, 24, kAction, 0},
      {1011, ui::kButton, "Extract All", 312, 216, 80, 24, kAction, 0},
  };
  ASSERT_EQ(layout.controls.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const ui::ControlLayout& got = layout.controls[i];
    const ui::ControlLayout& want = expected[i];
    SCOPED_TRACE(want.text);
    EXPECT_EQ(got.id, want.id);
    EXPECT_STREQ(got.className, want.className);
    EXPECT_EQ(got.text, want.text);
    EXPECT_EQ((std::vector<int>{got.x, got.y, got.width, got.height}),
              (std::vector<int>{want.x, want.y, want.width, want.height}));
    EXPECT_EQ(got.style, want.style);
    EXPECT_EQ(got.exStyle, want.exStyle);
  }
}

TEST_F(MainWindowTest, ListColumnsAndStyleNoOwner) {
  fake::WindowRecord& main = RunMain();
  EXPECT_EQ(main.layout.owner, nullptr);
  const auto& list = ControlOf(main, kChunkList);
  std::vector<std::pair<std::string, int>> columns;
  for (const ui::Column& c : list.columns) columns.emplace_back(c.header, c.width);
  EXPECT_EQ(columns, (std::vector<std::pair<std::string, int>>{{"#", 24}, {"ID", 70}, {"Type", 60}, {"Size", 90}, {"Offset", 100}}));
  EXPECT_EQ(list.listExStyle, kLvsExFullRowSelect | kLvsExGridLines);
}

TEST_F(MainWindowTest, StartsEmptyWithoutExecutable) {
  fake::WindowRecord& main = RunMain();
  EXPECT_EQ(ControlOf(main, kPathLabel).text, "");
  EXPECT_FALSE(ControlOf(main, kPathLabel).colorsSet);
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
    const auto& label = ControlOf(main, kPathLabel);
    EXPECT_EQ(label.text, path);
    EXPECT_TRUE(label.colorsSet);
    EXPECT_EQ(label.textColor.r, ui::kSystemWindowText.r);
    EXPECT_EQ(std::vector<int>({label.background.r, label.background.g, label.background.b}),
              std::vector<int>({255, 255, 255}));
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
  EXPECT_EQ(dialog.options.flags, ui::kOfnFileMustExist | ui::kOfnExplorer | ui::kOfnHideReadOnly |
                                   ui::kOfnNoChangeDir | ui::kOfnEnableHook);
  EXPECT_EQ(dialog.options.offsetFromOwner.x, -50);
  EXPECT_EQ(dialog.options.offsetFromOwner.y, -100);

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

}  // namespace
