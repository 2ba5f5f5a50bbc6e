#include "app/drop.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "app/choose_exe.h"
#include "app/chunk_actions.h"
#include "app/state.h"
#include "app/write_check.h"

namespace {

// The chooser's filter, "*.exe": a name that ends in .exe in any case.
bool IsExecutableName(const std::string& path) {
  constexpr std::string_view kSuffix = ".exe";
  if (path.size() < kSuffix.size()) return false;
  return std::equal(kSuffix.begin(), kSuffix.end(), path.end() - static_cast<std::ptrdiff_t>(kSuffix.size()),
                    [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

// One dropped executable is opened as if chosen with "..."; among other files it is refused
// before anything is done, as which to open and what to add to it cannot be told apart. Other
// files, while an executable is open, go on in turn to the Add dialog as if picked in "Select
// resource": a cancelled dialog skips its file, an executable that cannot take a change ends the
// drop. With no executable open, there is nothing to add them to.
void OpenDroppedFiles(ui::Window window, const std::vector<std::string>& paths) {
  const bool withExe = std::any_of(paths.begin(), paths.end(), IsExecutableName);
  if (withExe && paths.size() == 1) {
    OpenExecutable(window, paths.front());
  } else if (withExe) {
    ui::ShowError(window, "Drop one executable at a time");
  } else if (!ExePath().empty()) {
    for (const std::string& path : paths) {
      if (!ExeCanChange(window)) return;
      AddFileAsChunk(window, path);
    }
  }
}
