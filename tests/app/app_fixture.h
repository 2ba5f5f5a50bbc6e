#pragma once
// Shared set-up of the Main window tests: a scratch folder, executables carrying chunks, and a
// run of the Main window through the fake user interface.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "app/state.h"
#include "platform/ui_fake.h"
#include "store/edit.h"
#include "tests/support/module_path_stub.h"

namespace apptest {

using Chunk = std::pair<std::string, std::string>;  // kind, data

inline std::string Body(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>('A' + i % 23);
  return body;
}

// body followed by the chunks, oldest first.
inline std::string WithChunks(std::string bytes, const std::vector<Chunk>& chunks) {
  for (const auto& [kind, data] : chunks) bytes = AppendChunkBytes(bytes, kind, data);
  return bytes;
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct MainWindowTest : ::testing::Test {
  std::filesystem::path folder;

  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("stowr-app-" + std::to_string(getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    SetModulePathForTest(Path("stowr.exe"));  // "temp.img" goes to this test's folder
    fake::Reset();
    ExePath().clear();
    Chunks().clear();
  }
  void TearDown() override {
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(folder);
  }

  std::string Path(const std::string& name) const { return (folder / name).string(); }

  // Writes an executable with these chunks and makes it the current one.
  std::string UseExe(const std::vector<Chunk>& chunks, std::size_t bodySize = 1024) {
    std::string path = Path("app.exe");
    WriteFile(path, WithChunks(Body(bodySize), chunks));
    ExePath() = path;
    return path;
  }

  // Runs the Main window: the step plays the user once it has been initialised.
  fake::WindowRecord& RunMain(fake::Step step = {}) {
    if (step) fake::QueueStep(kMainTitle, std::move(step));
    OpenMainWindow(nullptr);
    return *fake::FindWindow(kMainTitle);
  }
};

inline const fake::ControlRecord& ControlOf(fake::WindowRecord& window, int id) { return window.controls.at(id); }

// The enabled state of Preview, Extract One, Extract All, Remove One and Remove All.
inline bool ChunkButtonsEnabled(fake::WindowRecord& window, bool expected) {
  for (int id : {kPreviewButton, kExtractOneButton, kExtractAllButton, kRemoveOneButton, kRemoveAllButton}) {
    if (window.controls.at(id).enabled != expected) return false;
  }
  return true;
}

}  // namespace apptest
