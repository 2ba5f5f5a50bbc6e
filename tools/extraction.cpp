#include "tools/extraction.h"

#include <vector>

#include "platform/process.h"
#include "store/chunk_data.h"
#include "store/chunk_file.h"
#include "store/content.h"
#include "tools/busy.h"
#include "tools/extract_name.h"

namespace {

constexpr const char* kSavedText = "Tailpack successfully saved as:";
constexpr std::size_t kNameBufferSize = 32768;

// A file that the disk did not confirm is there all the same; the line says so.
std::string Unconfirmed(const Status& saved) { return saved.warning.empty() ? "" : "\r" + saved.warning; }

// The lines of the two boxes of Extract All: the files written, and the others with the reason.
struct SavedLines {
  std::string written, failed;
};

// Every chunk of table, last first, out of exe (copied in blocks by ExtractChunk: a chunk that
// cannot be read is a failure, never an empty file). progress hears the bytes of all chunks
// together; a cancelled copy ends the run, its chunk unwritten, and so does a file that changed
// meanwhile. The folder is looked through for stale temporary files once.
SavedLines SaveAll(const ChunkFile& exe, const ChunkTable& table, const Progress& progress) {
  std::uint64_t total = 0, before = 0;
  for (const ChunkRecord& record : table) total += record.Length;
  const Progress overall = [&](std::uint64_t done, std::uint64_t) { return progress(before + done, total); };
  SavedLines lines;
  ExtractAllNames names;
  TempSweep sweep;
  for (std::size_t i = table.size(); i >= 1; --i) {
    std::string path = names.Next(exe.Path(), table[i - 1], i);
    std::string line = "- " + std::string(AfterLastSeparator(path));
    Status saved = ExtractChunk(exe, table[i - 1], path, overall, Owner::Keep, &sweep);
    if (saved.code == Status::Code::Cancelled) break;
    if (saved.ok()) {
      lines.written += line + Unconfirmed(saved) + "\r";
    } else {
      lines.failed += line + ": " + saved.message + "\r";
      if (IsChangedOnDisk(saved)) break;
    }
    before += table[i - 1].Length;
  }
  return lines;
}

void Confirm(ui::Window owner, const std::string& text) {
  ui::ShowMessage(owner, text, ProgramName(platform::ModulePath()), ui::kMbOk | ui::kMbIconInformation);
}

void ReportError(ui::Window owner, const std::string& text) {
  ui::ShowError(owner, text);
}

std::string InFolderLine(const std::string& exe) {
  return "in folder \"" + std::string(BeforeLastSeparator(exe)) + "\"";
}

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

// Cancelling the dialog is silent, and so is cancelling the copy, which runs off the window's
// thread and leaves no file behind; otherwise the user learns either where the chunk went or
// why it did not get there.
bool ExtractOneChunk(ui::Window owner, std::string exe, ChunkRecord record, const platform::FileStamp& scanned) {
  std::string path = ui::AskSaveFile(owner, SaveAsOptions(DefaultExtractName(exe, record)));
  if (path.empty()) return false;
  Status saved;
  RunBusy(owner, "Saving the tailpack as:", path, true, [&](const Progress& progress) {
    ChunkFile file;
    saved = file.Open(exe, &scanned);
    if (saved.ok()) saved = ExtractChunk(file, record, path, progress);
  });
  if (saved.code == Status::Code::Cancelled) return false;
  const bool changed = IsChangedOnDisk(saved);
  if (!saved.ok()) {
    ReportError(owner, "Could not save the tailpack as:\r" + path + "\r" + saved.message +
                           (changed ? std::string("\r") + kListReadAgain : ""));
    return changed;
  }
  Confirm(owner, std::string(kSavedText) + "\r" + path + Unconfirmed(saved));
  return false;
}

// Last chunk first, so the newest chunk of a Kind keeps the default name. Every chunk is tried;
// the confirmation lists the files written (when there are any) and an error box lists the
// others with their reasons. The copies run off the window's thread; Cancel stops them at the
// chunk being copied, which is not written, and the boxes tell what was done until then. An
// executable that is no longer the file the list was read from is refused before anything is
// written.
bool ExtractAllChunks(ui::Window owner, std::string exe, ChunkTable table, const platform::FileStamp& scanned) {
  SavedLines lines;
  Status opened;
  RunBusy(owner, "Saving the tailpacks in folder:", std::string(BeforeLastSeparator(exe)), true,
          [&](const Progress& progress) {
            ChunkFile file;
            opened = file.Open(exe, &scanned);
            if (opened.ok()) lines = SaveAll(file, table, progress);
          });
  if (!opened.ok()) {
    ReportError(owner, "Could not read file:\r" + exe + "\r" + opened.message +
                           (IsChangedOnDisk(opened) ? std::string("\r") + kListReadAgain : ""));
    return IsChangedOnDisk(opened);
  }
  const bool changed = lines.failed.find(kChangedOnDisk) != std::string::npos;
  if (!lines.written.empty()) Confirm(owner, std::string(kSavedText) + "\r" + lines.written + InFolderLine(exe));
  if (!lines.failed.empty())
    ReportError(owner, "Could not save the tailpacks:\r" + lines.failed + InFolderLine(exe) +
                           (changed ? std::string("\r") + kListReadAgain : ""));
  return changed;
}
