#include "app/main_handler.h"

#include <string>
#include <vector>

#include "app/about.h"
#include "app/choose_exe.h"
#include "app/chunk_actions.h"
#include "app/drop.h"
#include "app/list_habits.h"
#include "app/main_window.h"
#include "app/refresh.h"
#include "app/remove_chunks.h"
#include "app/state.h"
#include "store/wholefile.h"
#include "tools/busy.h"

namespace {

constexpr unsigned kClicked = 0;  // BN_CLICKED; 1 comes from accelerators and counts too
// Posted when the first refresh could not read a file that is there.
constexpr std::uint32_t kRetryFirstRefresh = ui::kAppMessage;

// The list shows the executable named on the command line (or nothing) before it is first shown.
// A path that names nothing (a wildcard, a stray quote, a share that is offline) lists no chunks,
// as a missing file does. A file that is there but cannot be read is read once more when the
// window is on screen and reported then, so the box never comes up without a visible owner.
void OnInitDialog(ui::Window window) {
  Status status = RefreshChunkList(window);
  if (status.code == Status::Code::Failed && FileExists(ExePath())) ui::Post(window, kRetryFirstRefresh);
}

void OnCommand(ui::Window window, std::uintptr_t wParam) {
  const int id = static_cast<int>(wParam & 0xFFFF);
  const unsigned code = static_cast<unsigned>((wParam >> 16) & 0xFFFF);
  if (code != kClicked && code != 1) return;
  RunMainCommand(window, id);
}

}  // namespace

void RunMainCommand(ui::Window window, int id) {
  switch (id) {
    case kChooseButton: ChooseExecutable(window); break;
    case kAddButton: AddChunkAction(window); break;
    case kRemoveOneButton: RemoveOneChunk(window); break;
    case kRemoveAllButton: RemoveAllChunks(window); break;
    case kPreviewButton: PreviewAction(window); break;
    case kExtractOneButton: ExtractOneAction(window); break;
    case kExtractAllButton: ExtractAllAction(window); break;
    case kAboutCommand: ShowAbout(window); break;
    default: break;  // Enter and Escape (1, 2) among them: they close nothing
  }
}

// Every message of the system is reported as not handled, so the system's default handling
// follows; that is what ends the window on its close box. The list's keys, double-clicks and
// context menus are taken when they act.
std::intptr_t MainWindowHandler(ui::Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (Busy()) return 0;  // an action is under way: its work runs elsewhere while the window waits
  if (std::intptr_t taken = OnListHabit(window, message, wParam, lParam)) return taken;
  if (message == ui::kInitDialog) OnInitDialog(window);
  if (message == kRetryFirstRefresh) RefreshAndReport(window);
  if (message == ui::kCommand) OnCommand(window, wParam);
  if (message == ui::kDropFiles)
    OpenDroppedFiles(window, *reinterpret_cast<const std::vector<std::string>*>(lParam));
  return 0;
}
