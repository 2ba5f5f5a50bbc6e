// Extraction through the fake ui: the Save As dialog, the files written, and the messages that
// say what was written and what was not.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/process.h"
#include "store/scan.h"
#include "tests/app/app_fixture.h"
#include "tools/extraction.h"

namespace {

using apptest::Chunk;
using apptest::ReadFile;
using apptest::WriteFile;

const std::vector<Chunk> kThree = {{"TXT", "first text"}, {"PNG", std::string("\x89PNG\0\1", 6)}, {"TXT", "second"}};

struct ExtractionTest : apptest::MainWindowTest {
  ui::Window owner = nullptr;
  // Writes app.exe with these chunks and scans it, as a refresh of the Main window would.
  std::string Load(const std::vector<Chunk>& chunks) {
    std::string path = UseExe(chunks);
    Chunks().clear();
    EXPECT_TRUE(ScanTailpack(path, Chunks(), &ChunksStamp()).ok());
    owner = ui::CreateWindowFromLayout({});
    return path;
  }
  std::string Caption() const { return ProgramName(platform::ModulePath()); }
};

TEST(ProgramNameTest, FileNameWithoutFolderAndExtension) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"C:\\Tools\\stowr.exe", "stowr"},
      {"C:\\my.tools\\stowr", "stowr"},
      {"C:\\Tools\\stowr.v2.exe", "stowr.v2"},
      {"/opt/bin/tools_gui_test", "tools_gui_test"},
      {"stowr.exe", "stowr"},
  };
  for (const auto& [path, name] : cases) EXPECT_EQ(ProgramName(path), name) << path;
}

TEST_F(ExtractionTest, SaveAsDialogIsPresetWithTheDefaultName) {
  Load(kThree);
  ExtractOneChunk(owner, ExePath(), Chunks()[2 - 1], ChunksStamp());
  ASSERT_EQ(fake::FileDialogs().size(), 1u);
  const fake::FileDialogRecord& dialog = fake::FileDialogs()[0];
  EXPECT_TRUE(dialog.save);
  EXPECT_EQ(dialog.owner, owner);
  EXPECT_EQ(dialog.options.title, "Save As");
  EXPECT_EQ(dialog.options.filterDescription, "All files (*.*)");
  EXPECT_EQ(dialog.options.filterPattern, "*.*");
  EXPECT_EQ(dialog.options.defaultExtension, "");
  EXPECT_EQ(dialog.options.initialName, Path("app.tpak.png"));
  EXPECT_EQ(dialog.options.initialFolder, platform::CurrentDirectory());
  EXPECT_EQ(dialog.options.bufferSize, 32768u);
  for (std::uint32_t flag : {ui::kOfnOverwritePrompt, ui::kOfnPathMustExist, ui::kOfnNoChangeDir})
    EXPECT_TRUE(dialog.options.flags & flag) << flag;
  EXPECT_TRUE(dialog.options.bringToForeground);
  // Cancelled: nothing written, nothing shown.
  EXPECT_TRUE(fake::Messages().empty());
  EXPECT_FALSE(std::filesystem::exists(Path("app.tpak.png")));
}

// The name is used as chosen (no extension added) and replaces a longer file entirely.
TEST_F(ExtractionTest, ExtractOneWritesTheChunkAndConfirms) {
  Load(kThree);
  std::string target = Path("chosen.bin");
  WriteFile(target, std::string(100, 'x'));
  fake::QueueFileAnswer(target);
  ExtractOneChunk(owner, ExePath(), Chunks()[2 - 1], ChunksStamp());
  EXPECT_EQ(ReadFile(target), kThree[1].second);
  ASSERT_EQ(fake::Messages().size(), 1u);
  const fake::MessageRecord& message = fake::Messages()[0];
  EXPECT_EQ(message.text, "Tailpack successfully saved as:\r" + target);
  EXPECT_EQ(message.caption, Caption());
  EXPECT_EQ(message.flags, ui::kMbOk | ui::kMbIconInformation);
  EXPECT_EQ(message.owner, owner);
}

// Same Kind twice: the newest chunk keeps the default name, the older one gets its number
// (app.tpak1.txt). An empty chunk gives an empty file, and a Kind with a separator stays in the
// executable's folder.
TEST_F(ExtractionTest, ExtractAllWritesLastFirstAndListsEveryFile) {
  std::string path = Load(kThree);
  std::string bytes = ReadFile(path) + MakeTrailer(0, "a/b");
  WriteFile(path, bytes);
  Chunks().clear();
  ASSERT_TRUE(ScanTailpack(path, Chunks(), &ChunksStamp()).ok());
  WriteFile(Path("app.tpak.txt"), std::string(500, 'o'));
  EXPECT_FALSE(ExtractAllChunks(owner, ExePath(), Chunks(), ChunksStamp()));
  EXPECT_EQ(ReadFile(Path("app.tpak.txt")), "second");
  EXPECT_EQ(ReadFile(Path("app.tpak1.txt")), "first text");
  EXPECT_EQ(ReadFile(Path("app.tpak.png")), kThree[1].second);
  EXPECT_TRUE(std::filesystem::exists(Path("app.tpak._61_2f_62")));
  EXPECT_EQ(ReadFile(Path("app.tpak._61_2f_62")), "");
  ASSERT_EQ(fake::Messages().size(), 1u);
  EXPECT_EQ(fake::Messages()[0].text,
            "Tailpack successfully saved as:\r- app.tpak._61_2f_62\r- app.tpak.txt\r- app.tpak.png\r- app.tpak1.txt\r"
            "in folder \"" + folder.string() + "\"");
  EXPECT_EQ(fake::Messages()[0].caption, Caption());
  EXPECT_EQ(fake::Messages()[0].flags, ui::kMbOk | ui::kMbIconInformation);
}

// A file that cannot be written is never confirmed: the error names it and gives the reason.
TEST_F(ExtractionTest, UnwritableTargetIsReportedNotConfirmed) {
  Load(kThree);
  std::string readOnly = Path("kept.bin");
  WriteFile(readOnly, "old");
  std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
  const std::vector<std::string> targets = {readOnly, Path("no-such-folder/x.bin"), folder.string()};
  for (const std::string& target : targets) {
    SCOPED_TRACE(target);
    fake::Reset();
    fake::QueueFileAnswer(target);
    ExtractOneChunk(owner, ExePath(), Chunks()[1 - 1], ChunksStamp());
    ASSERT_EQ(fake::Messages().size(), 1u);
    const fake::MessageRecord& message = fake::Messages()[0];
    EXPECT_EQ(message.caption, "stowr - error");
    EXPECT_EQ(message.flags, ui::kMbOk | ui::kMbIconError);
    EXPECT_EQ(message.text.rfind("Could not save the tailpack as:\r" + target + "\r", 0), 0u) << message.text;
    EXPECT_GT(message.text.size(), ("Could not save the tailpack as:\r" + target + "\r").size());
  }
  EXPECT_EQ(ReadFile(readOnly), "old");
  std::filesystem::permissions(readOnly, std::filesystem::perms::owner_all);
}

// Extract All goes on past a failure, confirms the files written and lists the others.
TEST_F(ExtractionTest, ExtractAllReportsWhatFailed) {
  Load(kThree);
  std::filesystem::create_directory(Path("app.tpak.png"));  // a folder where the file would go
  ExtractAllChunks(owner, ExePath(), Chunks(), ChunksStamp());
  EXPECT_EQ(ReadFile(Path("app.tpak.txt")), "second");
  EXPECT_EQ(ReadFile(Path("app.tpak1.txt")), "first text");
  ASSERT_EQ(fake::Messages().size(), 2u);
  const std::string inFolder = "in folder \"" + folder.string() + "\"";
  EXPECT_EQ(fake::Messages()[0].text, "Tailpack successfully saved as:\r- app.tpak.txt\r- app.tpak1.txt\r" + inFolder);
  const fake::MessageRecord& error = fake::Messages()[1];
  EXPECT_EQ(error.caption, "stowr - error");
  EXPECT_EQ(error.text.rfind("Could not save the tailpacks:\r- app.tpak.png: ", 0), 0u) << error.text;
  EXPECT_EQ(std::count(error.text.begin(), error.text.end(), '\r'), 2);
  EXPECT_TRUE(error.text.ends_with(inFolder));
}

// An executable changed or gone since the scan yields errors, never files: a changed one is
// reported as such and the caller is told to read the list again.
TEST_F(ExtractionTest, UnreadableChunksAreErrorsNotEmptyFiles) {
  std::string path = Load(kThree);
  WriteFile(path, ReadFile(path).substr(0, 1030));  // shorter than every chunk needs
  fake::QueueFileAnswer(Path("one.bin"));
  EXPECT_TRUE(ExtractOneChunk(owner, ExePath(), Chunks()[3 - 1], ChunksStamp()));
  EXPECT_TRUE(ExtractAllChunks(owner, ExePath(), Chunks(), ChunksStamp()));
  std::filesystem::remove(path);
  EXPECT_FALSE(ExtractAllChunks(owner, ExePath(), Chunks(), ChunksStamp()));
  EXPECT_FALSE(std::filesystem::exists(Path("one.bin")));
  EXPECT_FALSE(std::filesystem::exists(Path("app.tpak.txt")));
  ASSERT_EQ(fake::Messages().size(), 3u);
  for (const fake::MessageRecord& message : fake::Messages()) EXPECT_EQ(message.caption, "stowr - error");
  const std::string changed = "The file has changed since it was last read: " + path + "\r" + kListReadAgain;
  EXPECT_TRUE(fake::Messages()[0].text.ends_with(changed)) << fake::Messages()[0].text;
  EXPECT_EQ(fake::Messages()[1].text, "Could not read file:\r" + path + "\r" + changed);
  EXPECT_EQ(fake::Messages()[2].text.rfind("Could not read file:\r" + path + "\r", 0), 0u);
}

}  // namespace
