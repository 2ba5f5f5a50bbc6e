// The Main window's Add action through the fake ui: adding a file through both dialogs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/app/app_fixture.h"
#include "tests/support/pe_image.h"
#include "tools/add_dialog.h"

namespace {

using apptest::Body;
using apptest::ControlOf;
using apptest::MainWindowTest;
using apptest::ReadFile;
using apptest::WithChunks;
using apptest::WriteFile;

// Plays the Add dialog: types text and presses OK.
void QueueDescriptor(const std::string& typed) {
  fake::QueueStep(kAddDialogTitle, [typed](ui::Window w) {
    ui::SetText(w, kDescriptorBox, typed);
    fake::PressEnter(w);
  });
}

fake::WindowRecord& ClickAdd(MainWindowTest& test) {
  return test.RunMain([](ui::Window w) { fake::Click(w, kAddButton); });
}

TEST_F(MainWindowTest, AddedFileBecomesTheLastRow) {
  std::string exe = UseExe({});
  std::string data(2048, 'x');
  WriteFile(Path("res.txt"), data);
  fake::QueueFileAnswer(Path("res.txt"));
  QueueDescriptor("txt");
  fake::WindowRecord& main = ClickAdd(*this);

  EXPECT_EQ(ReadFile(exe), WithChunks(Body(1024), {{"TXT", data}}));
  EXPECT_EQ(fake::Rows(&main, kChunkList),
            (std::vector<std::vector<std::string>>{{"1", "TXT", "Text", "2,048 B", "@ 1,025"}}));
  EXPECT_EQ(ControlOf(main, kCountLabel).text, "1 chunk of data detected:");
  ASSERT_EQ(fake::FileDialogs().size(), 1u);
  const fake::FileDialogRecord& dialog = fake::FileDialogs()[0];
  EXPECT_FALSE(dialog.save);
  EXPECT_EQ(dialog.options.title, "Select resource");
  EXPECT_EQ(dialog.options.filterDescription, "All files (*.*)");
  EXPECT_EQ(dialog.options.filterPattern, "*.*");
  EXPECT_EQ(dialog.options.defaultExtension, "");
  EXPECT_EQ(fake::FindWindow(kAddDialogTitle)->layout.owner, static_cast<ui::Window>(&main));
  EXPECT_TRUE(fake::Messages().empty());
}

TEST_F(MainWindowTest, AddNextToExistingChunksRefusesAUsedDescriptor) {
  std::string exe = UseExe({{"ABC", "one"}, {"DEF", std::string("t\0o", 3)}});
  std::string before = ReadFile(exe);
  WriteFile(Path("res.bin"), std::string("\0\1\2", 3));
  fake::QueueFileAnswer(Path("res.bin"));
  fake::QueueStep(kAddDialogTitle, [](ui::Window w) {
    for (const char* typed : {"def", "g h", "GHI"}) {
      ui::SetText(w, kDescriptorBox, typed);
      fake::PressEnter(w);
    }
  });
  fake::WindowRecord& main = ClickAdd(*this);
  EXPECT_EQ(ReadFile(exe), WithChunks(before, {{"GHI", std::string("\0\1\2", 3)}}));
  const auto& rows = fake::Rows(&main, kChunkList);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2], (std::vector<std::string>{"3", "GHI", "Binary", "3 B", "@ 1,065"}));
  EXPECT_EQ(fake::Messages().size(), 2u);
}

// Cancelling either dialog, or adding an empty file, leaves the executable as it was; only an
// add that got through both dialogs refreshes the list.
TEST_F(MainWindowTest, CancelledOrEmptyAddsWriteNothing) {
  struct Case {
    const char* name;
    bool pickFile;
    const char* typed;  // nullptr: Escape in the Add dialog
    const char* content;
    int redraws;
  };
  const std::vector<Case> cases = {
      {"cancel open", false, "NEW", "data", 1},
      {"cancel add", true, nullptr, "data", 1},
      {"empty file", true, "NEW", "", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    std::string exe = UseExe({{"ABC", "one"}});
    std::string before = ReadFile(exe);
    WriteFile(Path("res"), c.content);
    if (c.pickFile) fake::QueueFileAnswer(Path("res"));
    if (c.typed) {
      QueueDescriptor(c.typed);
    } else {
      fake::QueueStep(kAddDialogTitle, [](ui::Window w) { fake::PressEscape(w); });
    }
    fake::WindowRecord& main = ClickAdd(*this);
    EXPECT_EQ(ReadFile(exe), before);
    EXPECT_EQ(main.redraws, c.redraws);
    EXPECT_EQ(fake::Rows(&main, kChunkList).size(), 1u);
    EXPECT_TRUE(fake::Messages().empty());
  }
}

// Every failure names the file and the reason; the executable keeps its content and a vanished
// one is not recreated.
TEST_F(MainWindowTest, FailedAddsAreReported) {
  struct Case {
    const char* name;
    void (*before)(const std::string& exe, const std::string& res);
    bool exeRemains;
    const char* what;
    bool resIsFailing;
  };
  namespace fs = std::filesystem;
  const std::vector<Case> cases = {
      {"picked file gone", [](const std::string&, const std::string& res) { fs::remove(res); }, true,
       "Could not read file:", true},
      {"executable gone", [](const std::string& exe, const std::string&) { fs::remove(exe); }, false,
       "Could not read file:", false},
      {"executable read-only",
       [](const std::string& exe, const std::string&) { fs::permissions(exe, fs::perms::owner_read); }, true,
       "Could not write file:", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    std::string exe = UseExe({{"ABC", "one"}});
    std::string before = ReadFile(exe);
    std::string res = Path("res");
    WriteFile(res, "data");
    fake::QueueFileAnswer(res);
    fake::QueueStep(kAddDialogTitle, [&](ui::Window w) {
      c.before(exe, res);
      ui::SetText(w, kDescriptorBox, "NEW");
      fake::PressEnter(w);
    });
    ClickAdd(*this);
    EXPECT_EQ(fs::exists(exe), c.exeRemains);
    if (c.exeRemains) {
      EXPECT_EQ(ReadFile(exe), before);
    }
    ASSERT_EQ(fake::Messages().size(), 1u);
    const fake::MessageRecord& message = fake::Messages()[0];
    EXPECT_EQ(message.caption, "stowr - error");
    std::string head = std::string(c.what) + "\r" + (c.resIsFailing ? res : exe) + "\r";
    EXPECT_EQ(message.text.rfind(head, 0), 0u) << message.text;
    EXPECT_GT(message.text.size(), head.size());
    if (fs::exists(exe)) fs::permissions(exe, fs::perms::owner_all);
  }
}

// Adding to a signed program goes into its certificate table without a word. A program whose table
// cannot take the chunk would lose its signature: that is asked first, and No writes nothing.
TEST_F(MainWindowTest, AddThatBreaksASignatureAsksFirst) {
  const std::string good = pe_image::Signed(pe_image::MinimalPe(true));
  const std::string lying = good + "!";  // the table no longer ends the file
  struct {
    const char* name;
    std::string program;
    std::vector<int> answers;
    std::size_t boxes;
    bool changed;
  } cases[] = {
      {"signed", good, {}, 0, true},
      {"table that cannot take it, kept", lying, {ui::kIdNo}, 1, false},
      {"table that cannot take it, added", lying, {ui::kIdYes}, 1, true},
  };
  WriteFile(Path("res.txt"), "data");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    WriteFile(Path("app.exe"), c.program);
    ExePath() = Path("app.exe");
    fake::QueueFileAnswer(Path("res.txt"));
    QueueDescriptor("TXT");
    for (int answer : c.answers) fake::QueueMessageAnswer(answer);
    fake::WindowRecord& main = ClickAdd(*this);
    ASSERT_EQ(fake::Messages().size(), c.boxes);
    for (const auto& message : fake::Messages()) EXPECT_EQ(message.caption, "stowr - signature");
    EXPECT_EQ(ReadFile(Path("app.exe")) != c.program, c.changed);
    EXPECT_EQ(fake::Rows(&main, kChunkList).size(), c.changed ? 1u : 0u);
  }
}

}  // namespace
