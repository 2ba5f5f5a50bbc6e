#include "viewer/chunk_viewer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/image_fake.h"
#include "platform/ui_fake.h"
#include "store/scan.h"
#include "store/tailpack.h"
#include "tests/support/module_path_stub.h"
#include "viewer/image_preview.h"
#include "viewer/text_encoding.h"

namespace {

namespace fs = std::filesystem;
using platform::fake::FakePicture;
using platform::fake::Images;

const std::string kViewer = "stowr - viewer";
const std::string kTruncated = "\r\n[...] (Truncated)";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An executable in a fresh folder that also holds the program, so "temp.img" goes there too.
class PreviewTest : public testing::Test {
 protected:
  // The executable, its chunks and its stamp, as the Main window's last scan would hold them.
  std::string exe;
  ChunkTable chunks;
  platform::FileStamp stamp;

  void SetUp() override {
    folder = fs::temp_directory_path() / ("stowr-viewer-" + std::to_string(getpid()) + "-" +
                                          testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    SetModulePathForTest((folder / "stowr.exe").string());
    fake::Reset();
    platform::fake::ResetImages();
    owner = ui::CreateWindowFromLayout({});
  }
  void TearDown() override {
    fs::remove_all(folder);
  }

  // Writes an executable carrying these chunks and scans it into the ChunkTable.
  void UseChunks(const std::vector<std::string>& datas) {
    std::string file = "MZ program body";
    for (const std::string& data : datas) file += data + MakeTrailer(data.size(), "DAT");
    std::ofstream(folder / "app.exe", std::ios::binary) << file;
    exe = (folder / "app.exe").string();
    chunks.clear();
    ASSERT_TRUE(ScanTailpack(exe, chunks, &stamp).ok());
    ASSERT_EQ(chunks.size(), datas.size());
  }

  fs::path TempImage() const { return folder / "temp.img"; }
  fake::WindowRecord& Viewer() {
    fake::WindowRecord* viewer = fake::FindWindow(kViewer);
    if (viewer == nullptr) throw std::runtime_error("no viewer window");
    return *viewer;
  }

  fs::path folder;
  ui::Window owner = nullptr;
};

TEST_F(PreviewTest, PicksTheViewFromTheBytes) {
  struct Case {
    const char* name;
    std::string bytes;
    bool decodeTried;
    bool picture;
    std::string text;  // of the text box, when no picture
  };
  const Case cases[] = {
      {"empty chunk", "", false, false, ""},
      {"text, byte for byte", "line\r\nbare lf\nhigh \xE9\xFF", false, false, "line\r\nbare lf\nhigh \xE9\xFF"},
      {"binary, no picture", std::string("\x0A\xFF\x00", 3), true, false, "0A FF 00 "},
      {"only a zero byte", std::string(1, '\0'), true, false, "00 "},
      {"zero past 2048 bytes", std::string(3000, 'A') + std::string(1, '\0'), true, false,
       [] { std::string s; for (int i = 0; i < 2048; ++i) s += "41 "; return s + kTruncated; }()},
      {"picture", FakePicture(10, 20), true, true, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::Reset();
    platform::fake::ResetImages();
    owner = ui::CreateWindowFromLayout({});
    UseChunks({"first", c.bytes});
    PreviewChunk(owner, exe, chunks[2 - 1], stamp);

    fake::WindowRecord& viewer = Viewer();
    EXPECT_TRUE(viewer.ended);
    EXPECT_EQ(Images().loadedBytes.size(), c.decodeTried ? 1u : 0u);
    ASSERT_EQ(viewer.controls.size(), 1u);
    const fake::ControlRecord& pane = viewer.controls.at(1001);
    EXPECT_EQ(std::string(pane.layout.className), c.picture ? "STATIC" : "EDIT");
    if (!c.picture) {
      EXPECT_EQ(pane.text, c.text);
    }
    EXPECT_FALSE(fs::exists(TempImage()));
  }
}

// The text view: owned by the window that asked, read-only, in a fixed-width font that is released
// afterwards, nothing selected, opened at the first byte.
TEST_F(PreviewTest, ViewerWindowAndTextBox) {
  UseChunks({"hello"});
  PreviewChunk(owner, exe, chunks[1 - 1], stamp);

  const fake::WindowRecord& viewer = Viewer();
  EXPECT_EQ(viewer.layout.owner, owner);
  const fake::ControlRecord& box = viewer.controls.at(1001);
  EXPECT_EQ(box.text, "hello");
  EXPECT_TRUE(box.layout.style & ui::style::kEsReadOnly);
  EXPECT_EQ(box.clearSelectionPosts, 1);
  EXPECT_EQ(box.caretToStartPosts, 1);
  ASSERT_NE(box.font, nullptr);
  EXPECT_EQ(fake::Font(box.font).face, "Courier New");
  EXPECT_TRUE(fake::Font(box.font).released);
}

TEST_F(PreviewTest, PictureIsDrawnUnscaledOnGreyAndReleased) {
  UseChunks({FakePicture(2000, 1500)});
  std::string duringRun;
  bool fileThere = false;
  fake::QueueStep(kViewer, [&](ui::Window) {
    fileThere = fs::exists(TempImage());
    duringRun = ReadFile(TempImage());
  });
  PreviewChunk(owner, exe, chunks[1 - 1], stamp);

  EXPECT_TRUE(fileThere);
  EXPECT_EQ(duringRun, FakePicture(2000, 1500));
  EXPECT_EQ(Images().loadedPaths, std::vector<std::string>{TempImagePath()});
  EXPECT_EQ(Images().calls, (std::vector<std::string>{"load", "attach 1001", "fill 211,211,211", "graphics 0 0",
                                                      "draw 0,0,2000,1500", "release graphics", "dispose"}));
  EXPECT_EQ(Images().livePictures, 0);
  EXPECT_EQ(Images().liveGraphics, 0);
  EXPECT_FALSE(fs::exists(TempImage()));
}

TEST_F(PreviewTest, NonPictureIsDecodedFromTheChunkBytesThenDeleted) {
  const std::string bytes = std::string("\x89PNG\0broken", 11);
  UseChunks({bytes});
  PreviewChunk(owner, exe, chunks[1 - 1], stamp);
  EXPECT_EQ(Images().loadedBytes, std::vector<std::string>{bytes});
  EXPECT_EQ(Images().calls, std::vector<std::string>{"load"});
  EXPECT_FALSE(fs::exists(TempImage()));
}

// A "temp.img" that cannot be replaced must not be decoded in place of the chunk, and a program
// that cannot tell its own folder writes none into the current one.
TEST_F(PreviewTest, NoWritableTempFileFallsBackToHex) {
  for (bool folderKnown : {true, false}) {
    SCOPED_TRACE(folderKnown);
    fake::Reset();
    platform::fake::ResetImages();
    owner = ui::CreateWindowFromLayout({});
    if (folderKnown) {
      fs::create_directories(TempImage());
      std::ofstream(TempImage() / "x") << "keep";
    } else {
      SetModulePathForTest("");
    }
    UseChunks({FakePicture(4, 4)});
    PreviewChunk(owner, exe, chunks[1 - 1], stamp);
    EXPECT_TRUE(Images().calls.empty());
    EXPECT_EQ(Viewer().controls.at(1001).text.substr(0, 12), "00 50 49 43 ");
    EXPECT_TRUE(fs::exists(TempImage() / "x"));
    EXPECT_FALSE(fs::exists("temp.img"));
  }
}

TEST_F(PreviewTest, UnreadableChunkShowsAnEmptyTextView) {
  UseChunks({FakePicture(4, 4)});
  fs::remove(exe);
  PreviewChunk(owner, exe, chunks[1 - 1], stamp);
  EXPECT_EQ(Viewer().controls.at(1001).text, "");
  EXPECT_TRUE(Images().calls.empty());
}

// An executable changed since the scan (here: chunk 1 gone, another chunk ending where it did)
// is reported, nothing is shown, and the caller hears that the list must be read again.
TEST_F(PreviewTest, ChangedFileIsReportedNotShown) {
  UseChunks({"hello", "world"});
  std::ofstream(exe, std::ios::binary | std::ios::trunc)
      << "MZ program body" + std::string(22, 'w') + MakeTrailer(22, "DAT");
  EXPECT_TRUE(PreviewChunk(owner, exe, chunks[1 - 1], stamp));
  EXPECT_EQ(fake::FindWindow(kViewer), nullptr);
  ASSERT_EQ(fake::Messages().size(), 1u);
  EXPECT_EQ(fake::Messages()[0].text, "Could not read the chunk:\rThe file has changed since it was last read: " +
                                          exe + "\rThe list of chunks is read again.");
  EXPECT_EQ(fake::Messages()[0].caption, "stowr - error");
}

// A Text chunk beyond what the text view holds is refused with a message; a Binary one beyond what
// is handed to the picture decoder shows its hex dump, for which only its first bytes are read.
TEST_F(PreviewTest, LargeChunksStayWithinTheViewsLimits) {
  std::string text(16 * 1024 * 1024 + 1, 't');
  UseChunks({text});
  text.clear();
  PreviewChunk(owner, exe, chunks[1 - 1], stamp);
  EXPECT_EQ(fake::FindWindow(kViewer), nullptr);
  ASSERT_EQ(fake::Messages().size(), 1u);
  EXPECT_EQ(fake::Messages()[0].owner, owner);
  EXPECT_EQ(fake::Messages()[0].caption, "stowr - error");
  EXPECT_EQ(fake::Messages()[0].text.substr(0, 45), "This chunk is too large to be shown as text:\r");

  std::string binary(64 * 1024 * 1024 + 1, '\0');
  UseChunks({binary});
  binary.clear();
  PreviewChunk(owner, exe, chunks[1 - 1], stamp);
  EXPECT_TRUE(Images().calls.empty());
  const std::string& hex = Viewer().controls.at(1001).text;
  EXPECT_EQ(hex.size(), 3 * 2048 + kTruncated.size());
  EXPECT_EQ(hex.substr(0, 6), "00 00 ");
}


}  // namespace

namespace {

// Text as UTF-8 only when it is well-formed UTF-8 with something beyond ASCII; the rest keeps the
// system's code page. The text box gets the chunk's bytes either way (the fake keeps them as given).
TEST(TextEncoding, Utf8OnlyWhenWellFormedAndNotAscii) {
  struct Case {
    std::string bytes;
    bool utf8;
  };
  const Case cases[] = {
      {"caf\xC3\xA9 \xE2\x82\xAC", true},      // "café €"
      {"\xF0\x9F\x98\x80 smile", true},        // U+1F600
      {"plain ASCII\r\n", false},
      {"", false},
      {"caf\xE9", false},                      // Latin-1
      {"\xC3", false},                         // cut short
      {"\xC3\x28", false},                     // bad continuation
      {"\xC0\xAF", false},                     // overlong
      {"\xE0\x80\xAF", false},                 // overlong, three bytes
      {"\xED\xA0\x80", false},                 // a surrogate
      {"\xF4\x90\x80\x80", false},             // above U+10FFFF
      {"\xE2\x82\xAC\xE9", false},             // UTF-8, then Latin-1
  };
  for (const Case& c : cases) EXPECT_EQ(ReadsAsUtf8(c.bytes), c.utf8) << c.bytes;
}

// The picture goes beside the program; without a folder known, nowhere.
TEST(TempImage, SitsBesideTheProgram) {
  EXPECT_EQ(TempImagePath("C:\\Tools\\stowr.exe"), "C:\\Tools\\temp.img");
  EXPECT_EQ(TempImagePath("/opt/stowr/stowr"), "/opt/stowr/temp.img");
  EXPECT_EQ(TempImagePath("stowr.exe"), "");
  EXPECT_EQ(TempImagePath(""), "");
}

// A program folder that cannot take "temp.img" leaves the picture to the user's temporary folder,
// and the preview deletes the file there afterwards.
TEST_F(PreviewTest, PictureGoesToTheTemporaryFolderWhenTheProgramsCannot) {
  fs::create_directories(TempImage());  // "temp.img" beside the program is a folder
  const fs::path temp = folder / "tmp";
  fs::create_directories(temp);
  SetTempFolderForTest(temp.string() + "/");
  UseChunks({FakePicture(4, 4)});
  PreviewChunk(owner, exe, chunks[1 - 1], stamp);
  SetTempFolderForTest("/nonexistent/tmp/");
  EXPECT_EQ(Images().loadedPaths, std::vector<std::string>{(temp / "temp.img").string()});
  EXPECT_FALSE(fs::exists(temp / "temp.img"));
  EXPECT_EQ(TempImagePlaces(), (std::vector<std::string>{TempImage().string(), "/nonexistent/tmp/temp.img"}));
}

}  // namespace
