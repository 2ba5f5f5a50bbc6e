// End-to-end cases of the chunk tools: adding a file through "Select resource" and the Add
// dialog, the Add dialog's refusals, and extraction through Save As and to default names.
#include <vector>

#include "e2e/cases.h"
#include "e2e/fixture_files.h"
#include "e2e/stowr_ui.h"
#include "platform/files_temp_name.h"

namespace e2e {
namespace {

constexpr int kFileNameEdit = 0x480;   // edt1 of the common file dialogs
constexpr int kFileNameCombo = 0x47c;  // cmb13, its Explorer-style form
const std::string kInvalid = "Invalid descriptor!\rPlease type only 3 characters among A-Z and 0-9.";
const std::string kInUse = "This descriptor is already in use!\rPlease choose another one...";

std::vector<TestChunk> TwoChunks() { return {{"TXT", "some text\r\n"}, {"BIN", std::string("\1\0\2", 3)}}; }

std::string WritePacked(Run& run, const std::vector<TestChunk>& chunks) {
  const std::string path = run.folder + "packed.exe";
  WriteBytes(path, FileBytes(ExeBody(1024), chunks));
  return path;
}

// Waits for a message box of the app owned by owner, checks caption and text, presses OK.
bool AnswerOwnedBox(Run& run, App& app, HWND owner, const std::string& caption, const std::string& text) {
  HWND box = WaitForWindow(app, caption, "#32770");
  if (!box) return Fail(run, __LINE__, "no message box \"" + caption + "\"");
  E2E_EQ(MessageBoxText(box), text);
  E2E_CHECK(GetWindow(box, GW_OWNER) == owner);
  PressDialogButton(box, IDOK);
  E2E_CHECK(WaitForWindowGone(app, caption));
  return true;
}

// The add also deletes the temporary file that a crashed earlier write of packed.exe left behind,
// and keeps files that only look like one (the user's own).
bool AddsChunk(Run& run) {
  const std::string exe = WritePacked(run, {});
  const std::string data(2048, 'x');
  E2E_CHECK(WriteBytes(run.folder + "res.txt", data));
  const std::string left = platform::TempName(platform::TempPrefix(exe, "\\/"), "\\/");
  E2E_CHECK(WriteBytes(left, "left by a crash"));
  E2E_CHECK(WriteBytes(exe + ".stowr-tmp-notes", "kept"));
  E2E_CHECK(WriteBytes(exe + ".stowr-tmp-backup", "the user's"));
  App app;
  E2E_TRY(OpenStowr(run, app, exe));
  HWND dialog = OpenAddDialog(run, app, run.folder + "res.txt");
  E2E_CHECK(dialog != nullptr);
  RECT client{};
  GetClientRect(dialog, &client);
  E2E_CHECK(client.right == 200 && client.bottom == 80);
  E2E_CHECK(TypeDescriptor(dialog, " txt "));
  E2E_CHECK(WaitForWindowGone(app, kAddDialogTitle));
  E2E_CHECK(Sync(app.main));
  E2E_TRY(ExpectListState(run, app, 1, true));
  E2E_FILE_HOLDS(exe, FileBytes(ExeBody(1024), {{"TXT", data}}));
  const auto cells = ListCells(app, GetDlgItem(app.main, kChunkList), kListColumns);
  E2E_CHECK(cells.size() == 1);
  E2E_CHECK((cells[0] == std::vector<std::string>{"1", "TXT", "Text", "2,048 B", "@ 1,025"}));
  E2E_CHECK(GetFileAttributesA(left.c_str()) == INVALID_FILE_ATTRIBUTES);
  E2E_FILE_HOLDS(exe + ".stowr-tmp-notes", "kept");
  E2E_FILE_HOLDS(exe + ".stowr-tmp-backup", "the user's");
  return CloseStowr(run, app);
}

// Refused descriptors leave the dialog open with an empty box; Escape then adds nothing.
bool AddDialogRefuses(Run& run) {
  const std::string exe = WritePacked(run, TwoChunks());
  const std::string before = ReadBytes(exe);
  E2E_CHECK(WriteBytes(run.folder + "res.bin", "data"));
  App app;
  E2E_TRY(OpenStowr(run, app, exe));
  HWND dialog = OpenAddDialog(run, app, run.folder + "res.bin");
  E2E_CHECK(dialog != nullptr);
  struct Row {
    const char* typed;
    const std::string& message;
  };
  for (const Row& row : {Row{"ab", kInvalid}, Row{"a-b", kInvalid}, Row{"bin", kInUse}}) {
    E2E_CHECK(TypeDescriptor(dialog, row.typed));
    E2E_TRY(AnswerOwnedBox(run, app, dialog, "stowr - error", row.message));
    E2E_CHECK(Sync(dialog));
    E2E_CHECK(IsWindowVisible(dialog));
    E2E_EQ(ControlText(dialog, kDescriptorBox), "");
  }
  PressDialogButton(dialog, IDCANCEL);
  E2E_CHECK(WaitForWindowGone(app, kAddDialogTitle));
  E2E_CHECK(Sync(app.main));
  E2E_FILE_HOLDS(exe, before);
  E2E_TRY(ExpectListState(run, app, 2, true));
  return CloseStowr(run, app);
}

// Escape typed in the descriptor box and the close box both end the dialog without an add.
bool AddDialogEscapeAndClose(Run& run) {
  const std::string exe = WritePacked(run, TwoChunks());
  const std::string before = ReadBytes(exe);
  E2E_CHECK(WriteBytes(run.folder + "res.bin", "data"));
  App app;
  E2E_TRY(OpenStowr(run, app, exe));
  for (bool escape : {true, false}) {
    HWND dialog = OpenAddDialog(run, app, run.folder + "res.bin");
    E2E_CHECK(dialog != nullptr);
    E2E_CHECK(SendMessageA(GetDlgItem(dialog, kDescriptorBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("NEW")));
    if (escape) {
      E2E_CHECK(FocusControl(app, GetDlgItem(dialog, kDescriptorBox)));
      PostKey(app, VK_ESCAPE);
    } else {
      PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    E2E_CHECK(WaitForWindowGone(app, kAddDialogTitle));
    E2E_CHECK(Sync(app.main));
    E2E_FILE_HOLDS(exe, before);
  }
  E2E_TRY(ExpectListState(run, app, 2, true));
  return CloseStowr(run, app);
}

// Save As starts with the default name; the chosen name gets exactly the chunk's bytes.
bool ExtractOne(Run& run) {
  const std::string exe = WritePacked(run, TwoChunks());
  App app;
  E2E_TRY(OpenStowr(run, app, exe));
  HWND list = GetDlgItem(app.main, kChunkList);
  E2E_CHECK(SetRowSelected(app, list, -1, false) && SetRowSelected(app, list, 1, true));
  Click(app.main, kExtractOneButton);
  HWND dialog = WaitForWindow(app, "Save As", "#32770");
  E2E_CHECK(dialog != nullptr);
  E2E_CHECK(GetWindow(dialog, GW_OWNER) == app.main);
  HWND name = FindDescendant(dialog, kFileNameCombo);
  if (!name) name = FindDescendant(dialog, kFileNameEdit);
  E2E_CHECK(name != nullptr);
  const std::string shown = WindowText(name);
  E2E_CHECK(shown == run.folder + "packed.tpak.bin" || shown == "packed.tpak.bin");
  const std::string target = run.folder + "chosen.dat";
  E2E_CHECK(AnswerOpenDialog(dialog, target));
  E2E_TRY(AnswerOwnedBox(run, app, app.main, "stowr", "Tailpack successfully saved as:\r" + target));
  E2E_FILE_HOLDS(target, std::string("\1\0\2", 3));
  return CloseStowr(run, app);
}

std::string Folder(const Run& run) { return run.folder.substr(0, run.folder.size() - 1); }

// Every chunk goes to its default name, last first, replacing what was there.
bool ExtractAll(Run& run) {
  std::vector<TestChunk> chunks = TwoChunks();
  chunks.push_back({" AB", "short kind"});
  const std::string exe = WritePacked(run, chunks);
  E2E_CHECK(WriteBytes(run.folder + "packed.tpak.txt", std::string(300, 'o')));
  App app;
  E2E_TRY(OpenStowr(run, app, exe));
  Click(app.main, kExtractAllButton);
  E2E_TRY(AnswerOwnedBox(run, app, app.main, "stowr",
                         "Tailpack successfully saved as:\r- packed.tpak. ab\r- packed.tpak.bin\r- packed.tpak.txt\r"
                         "in folder \"" + Folder(run) + "\""));
  E2E_FILE_HOLDS(run.folder + "packed.tpak.txt", chunks[0].data);
  E2E_FILE_HOLDS(run.folder + "packed.tpak.bin", chunks[1].data);
  E2E_FILE_HOLDS(run.folder + "packed.tpak. ab", chunks[2].data);
  E2E_TRY(ExpectListState(run, app, 3, true));
  return CloseStowr(run, app);
}

// A read-only target is refused (a read-only folder does not stop writes here): the other files
// are confirmed and the refused one is reported, keeping its bytes.
bool ExtractAllReadOnlyTarget(Run& run) {
  const std::string exe = WritePacked(run, TwoChunks());
  const std::string locked = run.folder + "packed.tpak.txt";
  E2E_CHECK(WriteBytes(locked, "old"));
  E2E_CHECK(SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY));
  App app;
  E2E_TRY(OpenStowr(run, app, exe));
  Click(app.main, kExtractAllButton);
  const std::string inFolder = "in folder \"" + Folder(run) + "\"";
  E2E_TRY(AnswerOwnedBox(run, app, app.main, "stowr", "Tailpack successfully saved as:\r- packed.tpak.bin\r" + inFolder));
  HWND box = WaitForWindow(app, "stowr - error", "#32770");
  E2E_CHECK(box != nullptr);
  const std::string text = MessageBoxText(box);
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (text.rfind("Could not save the tailpacks:\r- packed.tpak.txt: ", 0) != 0 || text.find(inFolder) == std::string::npos)
    return Fail(run, __LINE__, "error box says \"" + text + "\"");
  PressDialogButton(box, IDOK);
  E2E_CHECK(WaitForWindowGone(app, "stowr - error"));
  E2E_FILE_HOLDS(locked, "old");
  return CloseStowr(run, app);
}

}  // namespace

std::vector<Case> ChunkToolCases() {
  return {
      {"add_chunk", AddsChunk},
      {"add_dialog_refuses", AddDialogRefuses},
      {"add_dialog_escape_and_close", AddDialogEscapeAndClose},
      {"extract_one", ExtractOne},
      {"extract_all", ExtractAll},
      {"extract_all_read_only_target", ExtractAllReadOnlyTarget},
  };
}

}  // namespace e2e
