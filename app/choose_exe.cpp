#include "app/choose_exe.h"

#include "app/refresh.h"
#include "app/state.h"
#include "platform/process.h"

// The chooser's dialog: it starts in the current directory and leaves it unchanged, and its hook
// puts it 50 pixels left of and 100 above the Main window's top-left corner.
ui::FileDialogOptions OpenDialogOptions(const std::string& title, const std::string& filterDescription,
                                  const std::string& filterPattern, const std::string& defaultExtension) {
  ui::FileDialogOptions options;
  options.title = title;
  options.filterDescription = filterDescription;
  options.filterPattern = filterPattern;
  options.defaultExtension = defaultExtension;
  options.initialFolder = platform::CurrentDirectory();
  options.bufferSize = 32768;
  options.flags = ui::kOfnFileMustExist | ui::kOfnExplorer | ui::kOfnHideReadOnly | ui::kOfnNoChangeDir |
               ui::kOfnEnableHook;
  options.offsetFromOwner = {-50, -100};
  return options;
}

// A cancelled dialog changes nothing, not even the list. A name typed without extension gets
// ".EXE" (the default extension is the bare extension: a pattern there would become part of the
// name).
void ChooseExecutable(ui::Window window) {
  std::string path =
      ui::AskOpenFile(window, OpenDialogOptions("Select Program", "Windows Executable", "*.exe", "EXE"));
  if (path.empty()) return;
  OpenExecutable(window, path);
}

void OpenExecutable(ui::Window window, const std::string& path) {
  ExePath() = path;
  RefreshAndReport(window);
}
