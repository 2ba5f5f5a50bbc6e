#include "tools/extraction.h"

#include <vector>

#include "app/state.h"
#include "platform/process.h"
#include "store/chunk_data.h"
#include "tools/extract_name.h"

namespace {

constexpr const char* kSavedText = "Tailpack successfully saved as:";
constexpr const char* kErrorCaption = "stowr - error";
constexpr std::size_t kNameBufferSize = 32768;

// One chunk out of the executable and into path, copied in blocks. A chunk that cannot be read
// (the executable went away or got shorter) is a failure, never an empty file.
Status SaveChunk(const ChunkRecord& record, const std::string& path) {
  return ExtractChunk(ExePath(), record, path);
}

// A file that the disk did not confirm is there all the same; the line says so.
std::string Unconfirmed(const Status& saved) { return saved.warning.empty() ? "" : "\r" + saved.warning; }

void Confirm(ui::Window owner, const std::string& text) {
  ui::ShowMessage(owner, text, ProgramName(platform::ModulePath()), ui::kMbOk | ui::kMbIconInformation);
}

void ReportError(ui::Window owner, const std::string& text) {
  ui::ShowMessage(owner, text, kErrorCaption, ui::kMbOk | ui::kMbIconError);
}

std::string InFolderLine() { return "in folder \"" + std::string(BeforeLastSeparator(ExePath())) + "\""; }

}  // namespace

// The dialog starts in the current directory but shows the folder of the preset full path; it
// asks before replacing a file and adds no extension to the name the user typed.
ui::FileDialogOptions SaveAsOptions(const std::string& defaultName) {
  ui::FileDialogOptions options;
  options.title = "Save As";
  options.filterDescription = "All files (*.*)";
  options.filterPattern = "*.*";
  options.initialFolder = platform::CurrentDirectory();
  options.initialName = defaultName;
  options.bufferSize = kNameBufferSize;
  options.flags = ui::kOfnOverwritePrompt | ui::kOfnPathMustExist | ui::kOfnExplorer | ui::kOfnHideReadOnly |
               ui::kOfnNoChangeDir | ui::kOfnEnableHook;
  options.offsetFromOwner = {-100, 0};
  options.bringToForeground = true;
  return options;
}

// "C:\Tools\stowr.exe" gives "stowr"; a name without a dot is taken whole.
std::string ProgramName(std::string_view modulePath) {
  std::string_view name = AfterLastSeparator(modulePath);
  std::size_t dot = name.find_last_of('.');
  return std::string(dot == std::string_view::npos ? name : name.substr(0, dot));
}

// An index outside the table names no chunk and does nothing. Cancelling the dialog is silent;
// otherwise the user learns either where the chunk went or why it did not get there.
void ExtractOneChunk(ui::Window owner, std::size_t index) {
  if (index < 1 || index > Chunks().size()) return;
  const ChunkRecord record = Chunks()[index - 1];
  std::string path = ui::AskSaveFile(owner, SaveAsOptions(DefaultExtractName(ExePath(), record)));
  if (path.empty()) return;
  Status saved = SaveChunk(record, path);
  if (!saved.ok()) {
    ReportError(owner, "Could not save the tailpack as:\r" + path + "\r" + saved.message);
    return;
  }
  Confirm(owner, std::string(kSavedText) + "\r" + path + Unconfirmed(saved));
}

// Last chunk first, so when two chunks share a Kind the older one is what the file holds at the
// end. Every chunk is tried; the confirmation lists the files written (when there are any) and
// an error box lists the others with their reasons.
void ExtractAllChunks(ui::Window owner) {
  std::string written, failed;
  const ChunkTable table = Chunks();
  for (std::size_t i = table.size(); i >= 1; --i) {
    std::string path = DefaultExtractName(ExePath(), table[i - 1]);
    std::string line = "- " + std::string(AfterLastSeparator(path));
    Status saved = SaveChunk(table[i - 1], path);
    if (saved.ok()) {
      written += line + Unconfirmed(saved) + "\r";
    } else {
      failed += line + ": " + saved.message + "\r";
    }
  }
  if (!written.empty()) Confirm(owner, std::string(kSavedText) + "\r" + written + InFolderLine());
  if (!failed.empty()) ReportError(owner, "Could not save the tailpacks:\r" + failed + InFolderLine());
}
