// End-to-end cases of work that runs off the Main window's thread: the progress window, its
// Cancel, and a file held by another program while the window reads it.
#include <vector>

#include "e2e/cases.h"
#include "e2e/fixture_files.h"
#include "e2e/stowr_ui.h"

namespace e2e {
namespace {

// Which file a path names and what it holds, without reading it: replacing the file (the rename
// of a write) changes the index; writing to it changes the time or size.
struct Identity {
  DWORD volume = 0, indexHigh = 0, indexLow = 0;
  FILETIME written{};
  std::uint64_t size = 0;
  bool operator==(const Identity& other) const {
    return volume == other.volume && indexHigh == other.indexHigh && indexLow == other.indexLow &&
           CompareFileTime(&written, &other.written) == 0 && size == other.size;
  }
};

bool IdentityOf(const std::string& path, Identity& identity) {
  HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool got = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow, info.ftLastWriteTime,
              (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow};
  return got;
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// An add to an 8 GiB executable takes seconds: the progress window comes, owned by the disabled
// but answering Main window; Cancel stops the copy, leaves the very same file and nothing beside
// it, and says nothing more.
bool CancelKeepsTheFile(Run& run) {
  const std::string exe = run.folder + "large.exe";
  const std::string tail = ChunkBytes({"TXT", "small text"});
  E2E_CHECK(WriteLargeExe(exe, std::uint64_t{8} << 30, tail, true));
  E2E_CHECK(WriteBytes(run.folder + "res.txt", "new data"));
  Identity before, after;
  E2E_CHECK(IdentityOf(exe, before));
  App app;
  E2E_TRY(OpenStowr(run, app, exe));
  HWND dialog = OpenAddDialog(run, app, run.folder + "res.txt");
  E2E_CHECK(dialog != nullptr);
  E2E_CHECK(TypeDescriptor(dialog, "NEW"));
  HWND progress = WaitForWindow(app, kBusyTitle, "#32770");
  E2E_CHECK(progress != nullptr);
  E2E_CHECK(GetWindow(progress, GW_OWNER) == app.main);
  E2E_CHECK(!IsWindowEnabled(app.main));
  E2E_CHECK(Sync(app.main));
  E2E_EQ(ControlText(progress, kProgressWhat), "Adding a chunk to:");
  E2E_EQ(ControlText(progress, kProgressPath), exe);
  E2E_EQ(ControlText(progress, IDCANCEL), "Cancel");
  PressDialogButton(progress, IDCANCEL);
  E2E_CHECK(WaitForWindowGone(app, kBusyTitle));
  E2E_CHECK(PollUntil([&] { return IsWindowEnabled(app.main) && Sync(app.main); }, kWindowWait));
  E2E_TRY(ExpectListState(run, app, 1, true));
  E2E_CHECK(TopWindows(app).size() == 1);
  E2E_CHECK(IdentityOf(exe, after));
  E2E_CHECK(after == before);
  E2E_CHECK((FolderNames(run.folder) == std::vector<std::string>{"large.exe", "res.txt"}));
  return CloseStowr(run, app);
}

// A file that another program holds for a moment (a virus scanner looking at it, say) is read
// once it is let go: all its chunks, and no error.
bool HeldFileIsReadOnceLetGo(Run& run) {
  const std::string exe = run.folder + "held.exe";
  E2E_CHECK(WriteBytes(exe, FileBytes(ExeBody(1024), {{"ONE", "1"}, {"TWO", "2"}})));
  HANDLE held = CreateFileA(exe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  E2E_CHECK(held != INVALID_HANDLE_VALUE);
  App app;
  std::string why;
  const bool started = StartProgram(run.program, exe, run.folder, app, why);
  Sleep(600);
  CloseHandle(held);
  if (!started) return Fail(run, __LINE__, why);
  app.main = WaitForWindow(app, kMainTitle);
  E2E_CHECK(app.main != nullptr);
  E2E_TRY(ExpectListState(run, app, 2, true));
  E2E_CHECK(Drain(GetDlgItem(app.main, kChooseButton)));
  E2E_CHECK(TopWindows(app).size() == 1);
  return CloseStowr(run, app);
}

}  // namespace

std::vector<Case> ProgressCases() {
  return {
      {"progress_cancel_keeps_file", CancelKeepsTheFile},
      {"held_file_read_once_let_go", HeldFileIsReadOnceLetGo},
  };
}

}  // namespace e2e
