#include "app/main_actions.h"
#include "app/state.h"
#include "platform/process.h"

// The chooser's dialog: it starts in the current directory and leaves it unchanged, and its hook
// puts it 50 pixels left of and 100 above the Main window's top-left corner.
ui::FileDialogSpec OpenDialogSpec(const std::string& title, const std::string& filterDescription,
                                  const std::string& filterPattern, const std::string& defaultExtension) {
  ui::FileDialogSpec spec;
  spec.title = title;
  spec.filterDescription = filterDescription;
  spec.filterPattern = filterPattern;
  spec.defaultExtension = defaultExtension;
  spec.initialFolder = platform::CurrentDirectory();
  spec.bufferSize = 32768;
  spec.flags = ui::kOfnFileMustExist | ui::kOfnExplorer | ui::kOfnHideReadOnly | ui::kOfnNoChangeDir |
               ui::kOfnEnableHook;
  spec.offsetFromOwner = {-50, -100};
  return spec;
}

// A cancelled dialog changes nothing, not even the list.
void ChooseExecutable(ui::Window window) {
  std::string path =
      ui::AskOpenFile(window, OpenDialogSpec("Select Program", "Windows Executable", "*.exe", "*.EXE"));
  if (path.empty()) return;
  ExePath() = path;
  RefreshAndReport(window);
}
