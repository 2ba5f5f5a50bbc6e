#include "app_fixture.h"
#include "platform/app_main.h"
#include "platform/image_fake.h"
#include "platform/process.h"
#include "viewer/image_preview.h"

namespace {

using namespace apptest;

// The test binary stands in for the program: its folder receives the leftover temporary image.
TEST_F(MainWindowTest, StartupCleansUpAndOpensTheMainWindow) {
  std::string tempImage = TempImagePath(platform::ModulePath());
  WriteFile(tempImage, "left over");
  platform::fake::ResetImages();
  bool shownWithoutTempImage = false;
  fake::QueueStep(kMainTitle, [&](ui::Window) { shownWithoutTempImage = !std::filesystem::exists(tempImage); });

  EXPECT_EQ(AppMain(), 0);
  EXPECT_TRUE(shownWithoutTempImage);
  ASSERT_FALSE(platform::fake::Images().calls.empty());
  EXPECT_EQ(platform::fake::Images().calls.front(), "start");
  fake::WindowRecord* main = fake::FindWindow(kMainTitle);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->layout.owner, nullptr);
}

TEST_F(MainWindowTest, StartupKeepsAFolderNamedLikeTheTempImage) {
  std::string tempImage = TempImagePath(platform::ModulePath());
  std::filesystem::remove_all(tempImage);
  std::filesystem::create_directory(tempImage);
  EXPECT_EQ(AppMain(), 0);
  EXPECT_TRUE(std::filesystem::is_directory(tempImage));
  std::filesystem::remove(tempImage);
}

}  // namespace
