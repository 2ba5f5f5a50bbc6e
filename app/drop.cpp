#include "app/drop.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "app/choose_exe.h"
#include "app/chunk_actions.h"
#include "app/state.h"

namespace {

// The chooser's filter, "*.exe": a name that ends in .exe in any case.
bool IsExecutableName(const std::string& path) {
  constexpr std::string_view kSuffix = ".exe";
  if (path.size() < kSuffix.size()) return false;
  return std::equal(kSuffix.begin(), kSuffix.end(), path.end() - static_cast<std::ptrdiff_t>(kSuffix.size()),
                    [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

// A dropped executable is opened as if chosen with "..."; any other file, while an executable is
// open, goes on to the Add dialog as if picked in "Select resource". With no executable open,
// there is nothing to add it to.
void OpenDroppedFile(ui::Window window, const std::string& path) {
  if (IsExecutableName(path)) {
    OpenExecutable(window, path);
  } else if (!ExePath().empty()) {
    AddFileAsChunk(window, path);
  }
}
