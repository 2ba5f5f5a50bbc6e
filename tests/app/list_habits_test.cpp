// The chunk list's keys, double-click and context menus, each run through the Main window's
// handler as the Win32 layer hands them over, checked against the file and the windows shown.
#include "app/list_habits.h"
#include "app_fixture.h"
#include "tools/progress_figure.h"

namespace {

using namespace apptest;

const std::vector<Chunk> kThree = {{"ONE", "first"}, {"TWO", "second"}, {"THR", "third"}};

std::intptr_t AskMenu(ui::Window w, int control, int row) {
  ui::ContextRequest request{row, {10, 20}};
  return fake::Send(w, ui::kContextMenu, static_cast<std::uintptr_t>(control), reinterpret_cast<std::intptr_t>(&request));
}

std::vector<std::string> Items(const fake::MenuRecord& menu) {
  std::vector<std::string> items;
  for (const ui::MenuItem& item : menu.items) items.push_back(item.text + (item.enabled ? "" : " (greyed)"));
  return items;
}

TEST_F(MainWindowTest, DoubleClickPreviewsTheRowClicked) {
  UseExe(kThree);
  RunMain([](ui::Window w) {
    EXPECT_EQ(fake::Send(w, ui::kListDoubleClick, kChunkList, -1), 0);  // empty space
    EXPECT_EQ(fake::FindWindow("stowr - viewer"), nullptr);
    EXPECT_NE(fake::Send(w, ui::kListDoubleClick, kChunkList, 1), 0);
    EXPECT_EQ(fake::Control(w, kChunkList).selected, std::set<int>{1});
  });
  ASSERT_NE(fake::FindWindow("stowr - viewer"), nullptr);
  EXPECT_EQ(fake::FindWindow("stowr - viewer")->controls.at(1001).text, "second");
}

// Delete acts in the list only, and asks as Remove One does.
TEST_F(MainWindowTest, DeleteKeyRemovesTheSelectedChunkAfterAsking) {
  const std::string exe = UseExe(kThree);
  fake::QueueMessageAnswer(ui::kIdYes);
  RunMain([](ui::Window w) {
    fake::SelectRows(w, kChunkList, {1});
    EXPECT_EQ(fake::Send(w, ui::kKeyDown, ui::kKeyDelete, kAddButton), 0);
    EXPECT_NE(fake::Send(w, ui::kKeyDown, ui::kKeyDelete, kChunkList), 0);
  });
  ASSERT_EQ(fake::Messages().size(), 1u);
  EXPECT_EQ(fake::Messages()[0].caption, "stowr - remove one");
  EXPECT_EQ(ReadFile(exe), WithChunks(Body(1024), {kThree[0], kThree[2]}));
}

// Enter previews the selected row where the list has the focus, and is left to the focused button
// elsewhere; Ctrl+O is "..." from any control, O alone nothing.
TEST_F(MainWindowTest, EnterPreviewsAndCtrlOChooses) {
  struct Case {
    std::uintptr_t key;
    int control;
    bool taken;
    const char* viewerText;  // nullptr: no Viewer
    std::size_t fileDialogs;
  };
  const Case cases[] = {
      {ui::kKeyReturn, kChunkList, true, "second", 0},
      {ui::kKeyReturn, kPreviewButton, false, nullptr, 0},
      {ui::kWithCtrl | 'O', kAddButton, true, nullptr, 1},
      {ui::kWithCtrl | 'O', kChunkList, true, nullptr, 1},
      {'O', kChunkList, false, nullptr, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.key) + " on " + std::to_string(c.control));
    fake::Reset();
    UseExe(kThree);
    RunMain([&](ui::Window w) {
      fake::SelectRows(w, kChunkList, {1});
      EXPECT_EQ(fake::Send(w, ui::kKeyDown, c.key, c.control) != 0, c.taken);
    });
    const fake::WindowRecord* viewer = fake::FindWindow("stowr - viewer");
    ASSERT_EQ(viewer != nullptr, c.viewerText != nullptr);
    if (viewer) {
      EXPECT_EQ(viewer->controls.at(1001).text, c.viewerText);
    }
    ASSERT_EQ(fake::FileDialogs().size(), c.fileDialogs);
    if (c.fileDialogs) {
      EXPECT_EQ(fake::FileDialogs()[0].options.title, "Select Program");
    }
  }
}

TEST_F(MainWindowTest, ContextMenusGreyWhatTheButtonsGrey) {
  RunMain([](ui::Window w) {  // no executable: nothing can act
    EXPECT_NE(AskMenu(w, kChunkList, -1), 0);
    EXPECT_EQ(AskMenu(w, kAddButton, -1), 0);  // over a button: no menu
  });
  ASSERT_EQ(fake::Menus().size(), 1u);
  EXPECT_EQ(Items(fake::Menus()[0]),
            (std::vector<std::string>{"Add Tailpack... (greyed)", "Extract All (greyed)", "Remove All (greyed)"}));

  fake::Reset();
  UseExe(kThree);
  RunMain([](ui::Window w) {
    AskMenu(w, kChunkList, 2);
    EXPECT_EQ(fake::Control(w, kChunkList).selected, std::set<int>{2});
    AskMenu(w, 0, -1);
  });
  ASSERT_EQ(fake::Menus().size(), 2u);
  EXPECT_EQ(Items(fake::Menus()[0]), (std::vector<std::string>{"Preview", "Extract...", "Replace...", "Remove"}));
  EXPECT_EQ(fake::Menus()[0].at.x, 10);
  EXPECT_EQ(Items(fake::Menus()[1]), (std::vector<std::string>{"Add Tailpack...", "Extract All", "Remove All"}));
}

// Each item runs its button's flow: "Remove" asks first, "Remove All" too.
TEST_F(MainWindowTest, MenuItemsRunTheButtonsFlows) {
  const std::string exe = UseExe(kThree);
  fake::QueueMenuAnswer(kRemoveOneButton);
  fake::QueueMessageAnswer(ui::kIdYes);
  fake::QueueMenuAnswer(kRemoveAllButton);
  fake::QueueMessageAnswer(ui::kIdNo);
  RunMain([](ui::Window w) {
    AskMenu(w, kChunkList, 0);
    AskMenu(w, kChunkList, -1);
  });
  ASSERT_EQ(fake::Messages().size(), 2u);
  EXPECT_EQ(fake::Messages()[1].caption, "stowr - remove all");
  EXPECT_EQ(ReadFile(exe), WithChunks(Body(1024), {kThree[1], kThree[2]}));
}

// The new data takes the chunk's place under its kind, and the chunk stays selected.
TEST_F(MainWindowTest, ReplaceWritesTheFileAsTheChunksData) {
  const std::string exe = UseExe(kThree);
  WriteFile(Path("new.bin"), "replacement bytes");
  fake::QueueMenuAnswer(kReplaceCommand);
  fake::QueueFileAnswer(Path("new.bin"));
  RunMain([](ui::Window w) {
    AskMenu(w, kChunkList, 1);
    EXPECT_EQ(fake::Control(w, kChunkList).selected, std::set<int>{1});
  });
  ASSERT_EQ(fake::FileDialogs().size(), 1u);
  EXPECT_EQ(fake::FileDialogs()[0].options.title, "Select resource");
  EXPECT_EQ(ReadFile(exe), WithChunks(Body(1024), {kThree[0], {"TWO", "replacement bytes"}, kThree[2]}));
}

// F5 scans again; the selected chunk stays selected where the new list still has it.
TEST_F(MainWindowTest, F5RescansAndKeepsTheSelectedChunk) {
  const std::string exe = UseExe(kThree);
  RunMain([&](ui::Window w) {
    fake::SelectRows(w, kChunkList, {2});
    WriteFile(exe, WithChunks(Body(1024), {kThree[1], kThree[2]}));  // changed by another program
    EXPECT_NE(fake::Send(w, ui::kKeyDown, ui::kKeyF5, 0), 0);
    EXPECT_EQ(fake::Rows(w, kChunkList).size(), 2u);
    EXPECT_EQ(fake::Control(w, kChunkList).selected, std::set<int>{1});
    WriteFile(exe, WithChunks(Body(1024), {kThree[0]}));  // the selected chunk is gone
    fake::Send(w, ui::kKeyDown, ui::kKeyF5, 0);
    EXPECT_EQ(fake::Control(w, kChunkList).selected, std::set<int>{0});
  });
}

TEST(ProgressFigure, HowMuchOfHowMuch) {
  struct Case {
    std::uint64_t done, total;
    const char* text;
  };
  constexpr std::uint64_t KiB = 1024, MiB = KiB * KiB, GiB = MiB * KiB;
  const Case cases[] = {
      {412 * MiB + 5, 1124 * MiB, "412 of 1,124 MB"},
      {0, 1124 * MiB + 1, "0 of 1,125 MB"},
      {1124 * MiB, 1124 * MiB, "1,124 of 1,124 MB"},
      {MiB - 1, MiB, "0 of 1 MB"},
      {300, 900, "300 of 900 bytes"},
      {KiB + 1, 3 * KiB, "1 of 3 KB"},
      {20 * GiB, 30 * GiB, "20 of 30 GB"},
      {50, 10, "10 of 10 bytes"},
  };
  for (const Case& c : cases) EXPECT_EQ(ProgressFigure(c.done, c.total), c.text);
}

}  // namespace
