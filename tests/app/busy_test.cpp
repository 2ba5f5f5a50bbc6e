// Work off the window's thread, through the fake user interface: what each progress window says,
// what Cancel leaves behind, a refresh that fails after a write, and commands while work runs.
#include <algorithm>
#include <filesystem>
#include <functional>

#include "app_fixture.h"
#include "tests/store/fault_files.h"
#include "tools/add_dialog.h"
#include "tools/busy.h"

namespace {

using namespace apptest;
namespace fs = std::filesystem;

const std::vector<Chunk> kTwo = {{"ONE", "first"}, {"TWO", "second"}};

// A button of the Main window whose work runs off its thread, with the answers it needs.
struct Action {
  const char* what;  // the progress window's first line
  int button;
  std::function<void(MainWindowTest&)> answers;
  int boxes;  // message boxes before the work: the confirmation of a removal
};

void AnswerYes(MainWindowTest&) { fake::QueueMessageAnswer(ui::kIdYes); }

std::vector<Action> WritingActions() {
  return {
      {"Adding a chunk to:", kAddButton,
       [](MainWindowTest& test) {
         WriteFile(test.Path("res.txt"), "new data");
         fake::QueueFileAnswer(test.Path("res.txt"));
         fake::QueueStep(kAddDialogTitle, [](ui::Window dialog) {
           ui::SetText(dialog, kDescriptorBox, "NEW");
           fake::PressEnter(dialog);
         });
       },
       0},
      {"Removing a chunk from:", kRemoveOneButton, AnswerYes, 1},
      {"Removing every chunk from:", kRemoveAllButton, AnswerYes, 1},
      {"Saving the tailpack as:", kExtractOneButton,
       [](MainWindowTest& test) { fake::QueueFileAnswer(test.Path("saved.bin")); }, 0},
      {"Saving the tailpacks in folder:", kExtractAllButton, [](MainWindowTest&) {}, 0},
  };
}

std::vector<std::string> FolderNames(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// Cancel in the progress window: the executable keeps every byte, no file is added beside it,
// nothing more is said, and the list shows what it showed.
TEST_F(MainWindowTest, CancelledWorkLeavesEveryFileAsItWas) {
  for (const Action& action : WritingActions()) {
    SCOPED_TRACE(action.what);
    fake::Reset();
    const std::string exe = UseExe(kTwo);
    const std::string before = ReadFile(exe);
    action.answers(*this);
    const std::vector<std::string> files = FolderNames(folder);
    fake::WindowRecord& main = RunMain([&](ui::Window w) {
      fake::QueueCancel();
      fake::Click(w, action.button);
    });
    EXPECT_EQ(ReadFile(exe), before);
    EXPECT_EQ(FolderNames(folder), files);
    EXPECT_EQ(fake::Messages().size(), static_cast<std::size_t>(action.boxes));
    EXPECT_EQ(fake::Rows(&main, kChunkList).size(), 2u);
    const fake::TaskRecord& task = fake::Tasks().at(1);  // after the first refresh's
    EXPECT_EQ(task.title, kBusyTitle);
    EXPECT_EQ(task.what, action.what);
    EXPECT_TRUE(task.cancelled);
    EXPECT_EQ(task.owner, static_cast<ui::Window>(&main));
  }
}

// The file changed, but the refresh after it could not read it (a scanner holding it, say): the
// user hears why the list is empty, as at start-up.
TEST_F(MainWindowTest, RefreshFailingAfterAWriteIsReported) {
  const std::vector<Action> actions = WritingActions();
  for (auto action = actions.begin(); action != actions.begin() + 3; ++action) {
    SCOPED_TRACE(action->what);
    fake::Reset();
    const std::string exe = UseExe(kTwo);
    action->answers(*this);
    fake::WindowRecord& main = RunMain([&](ui::Window w) {
      fake::QueueStep(kBusyTitle, [](ui::Window) { ArmFaultAt("OpenForRead"); });
      fake::Click(w, action->button);
    });
    EXPECT_TRUE(FaultFired());
    EXPECT_TRUE(fake::Rows(&main, kChunkList).empty());
    ASSERT_EQ(fake::Messages().size(), static_cast<std::size_t>(action->boxes) + 1);
    EXPECT_EQ(fake::Messages().back().caption, "stowr - error");
    EXPECT_EQ(fake::Messages().back().text, "Could not read file:\r" + exe + "\rInjected fault");
  }
}

// While work runs, a command that reaches the window (a key, a posted click) starts nothing.
TEST_F(MainWindowTest, CommandsWhileWorkRunsAreIgnored) {
  const std::string exe = UseExe(kTwo);
  const std::string before = ReadFile(exe);
  fake::QueueMessageAnswer(ui::kIdYes);
  RunMain([&](ui::Window w) {
    fake::QueueStep(kBusyTitle, [](ui::Window owner) { fake::Click(owner, kRemoveAllButton); });
    fake::Click(w, kExtractAllButton);
  });
  EXPECT_EQ(ReadFile(exe), before);
  ASSERT_EQ(fake::Messages().size(), 1u);  // the list of extracted files, and no confirmation
  EXPECT_EQ(fake::Messages()[0].text.rfind("Tailpack successfully saved as:", 0), 0u);
}

}  // namespace
