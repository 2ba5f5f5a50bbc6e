// The POSIX process queries: which files DeletePlainFile takes away and which it leaves, and
// that the program finds its own file and command line.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/process.h"

namespace fs = std::filesystem;

namespace {

struct Scratch {
  fs::path path;
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "stowr-process-XXXXXX").string();
    path = mkdtemp(pattern.data());
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

void Touch(const fs::path& file) { std::ofstream(file) << "x"; }

}  // namespace

TEST(DeletePlainFile, TakesOnlyPlainFiles) {
  struct Case {
    const char* what;
    void (*make)(const fs::path& at);
    bool gone;
  };
  const Case cases[] = {
      {"regular file", [](const fs::path& at) { Touch(at); }, true},
      {"folder", [](const fs::path& at) { fs::create_directory(at); }, false},
      {"link to a file", [](const fs::path& at) { Touch(at.string() + ".target"); fs::create_symlink(at.string() + ".target", at); }, false},
      {"missing", [](const fs::path&) {}, true},
  };
  Scratch scratch;
  for (const Case& c : cases) {
    fs::path at = scratch.path / (std::string("temp-") + c.what);
    c.make(at);
    platform::DeletePlainFile(at.string());
    EXPECT_EQ(!fs::exists(fs::symlink_status(at)), c.gone) << c.what;
  }
  EXPECT_TRUE(fs::exists(scratch.path / "temp-link to a file.target")) << "the link's target stays";
}

TEST(DeletePlainFile, LeavesHiddenFiles) {
  Scratch scratch;
  fs::path hidden = scratch.path / ".temp.img";
  Touch(hidden);
  platform::DeletePlainFile(hidden.string());
  EXPECT_TRUE(fs::exists(hidden));
}

TEST(ProcessQueries, NameTheRunningProgram) {
  std::string module = platform::ModulePath();
  ASSERT_FALSE(module.empty());
  EXPECT_TRUE(fs::path(module).is_absolute());
  EXPECT_TRUE(fs::equivalent(module, "/proc/self/exe"));
  std::string name = fs::path(module).filename().string();
  EXPECT_NE(platform::CommandLine().find(name), std::string::npos);
  EXPECT_TRUE(fs::equivalent(platform::CurrentDirectory(), fs::current_path()));
}
