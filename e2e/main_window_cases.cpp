// End-to-end cases of the Main window: start-up, the chunk list, the executable chooser, the
// removals and their confirmations and refusals, keys, the About box, and closing.
#include <vector>

#include "e2e/cases.h"
#include "e2e/fixture_files.h"
#include "e2e/stowr_ui.h"

namespace e2e {
namespace {

// The three chunks most cases work on, behind a 1,024-byte body: text with tabs, line breaks
// and bytes above 127; binary data whose only zero byte is its last; a kind with a leading blank.
std::vector<TestChunk> ThreeChunks() {
  std::string text;
  while (text.size() < 2048) text += "Line\tof text \xE9\xFC\r\n";
  text.resize(2048);
  std::string binary(70000, '\x7f');
  binary.back() = '\0';
  return {{"TXT", text}, {"BIN", binary}, {" AB", "hello"}};
}

const std::vector<std::vector<std::string>> kThreeRows = {
    {"1", "TXT", "Text", "2,048 B", "@ 1,025"},
    {"2", "BIN", "Binary", "70,000 B", "@ 3,090"},
    {"3", " AB", "Text", "5 B", "@ 73,107"},
};

std::string WriteThreeChunkFile(Run& run, const std::string& name = "packed.exe") {
  const std::string path = run.folder + name;
  WriteBytes(path, FileBytes(ExeBody(1024), ThreeChunks()));
  return path;
}

bool ExpectRows(Run& run, App& app, const std::vector<std::vector<std::string>>& rows) {
  const auto cells = ListCells(app, GetDlgItem(app.main, kChunkList), kListColumns);
  E2E_CHECK(cells.size() == rows.size());
  for (std::size_t row = 0; row < rows.size(); ++row)
    for (std::size_t column = 0; column < rows[row].size(); ++column)
      E2E_EQ(cells[row][column], rows[row][column]);
  return true;
}

// Selects exactly the given 0-based rows.
bool SelectOnly(Run& run, App& app, const std::vector<int>& rows) {
  HWND list = GetDlgItem(app.main, kChunkList);
  E2E_CHECK(SetRowSelected(app, list, -1, false));
  for (int row : rows) E2E_CHECK(SetRowSelected(app, list, row, true));
  E2E_CHECK(SelectedRows(list) == rows);
  return true;
}

bool StartsEmpty(Run& run) {
  App app;
  E2E_TRY(OpenStowr(run, app, ""));
  E2E_EQ(ControlText(app.main, kPathLabel), "");
  E2E_EQ(ControlText(app.main, kExeLabel), "Exe:");
  E2E_TRY(ExpectListState(run, app, 0, false));
  const char* buttons[] = {"...", "", "Add Tailpack", "Remove One", "Remove All", "Preview", "Extract One", "Extract All"};
  for (int id = kChooseButton; id <= kExtractAllButton; ++id)
    if (id != kChunkList) E2E_EQ(ControlText(app.main, id), buttons[id - kChooseButton]);
  const char* headers[] = {"#", "ID", "Type", "Size", "Offset"};
  for (int column = 0; column < kListColumns; ++column)
    E2E_EQ(ListHeader(app, GetDlgItem(app.main, kChunkList), column), headers[column]);
  RECT client{};
  GetClientRect(app.main, &client);
  E2E_CHECK(client.right == 400 && client.bottom == 246);
  return CloseStowr(run, app);
}

// The argument text becomes the path when it holds ".exe" in any case, with its outer quotes
// removed and nothing else changed; without ".exe" no file is loaded. A path that can name no
// file (a wildcard, a doubled quote) lists no chunks, as a missing file does, and no box comes up.
bool CommandLinePaths(Run& run) {
  CreateDirectoryA((run.folder + "with space").c_str(), nullptr);
  const std::string plain = WriteThreeChunkFile(run, "plain.exe");
  const std::string spaced = WriteThreeChunkFile(run, "with space\\quoted.exe");
  const std::string upper = WriteThreeChunkFile(run, "UPPER.EXE");
  const std::string doubled = WriteThreeChunkFile(run, "tool.exe.txt");
  const std::string other = WriteThreeChunkFile(run, "program.com");
  struct Row {
    std::string args, label;
    int chunks;
  };
  const Row rows[] = {
      {plain, plain, 3},
      {"\"" + spaced + "\"", spaced, 3},
      {upper, upper, 3},
      {doubled, doubled, 3},
      {other, "", 0},
      {plain + " " + upper, plain + " " + upper, 0},
      {"*.exe", "*.exe", 0},
      {"\"" + run.folder + "two\"\"quotes.exe\"", run.folder + "two\"\"quotes.exe", 0},
  };
  for (const Row& row : rows) {
    App app;
    E2E_TRY(OpenStowr(run, app, row.args));
    E2E_CHECK(Drain(GetDlgItem(app.main, kChooseButton)));
    E2E_CHECK(TopWindows(app).size() == 1);
    E2E_EQ(ControlText(app.main, kPathLabel), row.label);
    E2E_TRY(ExpectListState(run, app, row.chunks, !row.label.empty()));
    E2E_TRY(CloseStowr(run, app));
  }
  return true;
}

// A temp.img left beside the program by an earlier preview is gone once the window shows; one
// marked hidden or system is not stowr's and stays.
bool StaleImageDeleted(Run& run) {
  std::string image = run.program.substr(0, run.program.find_last_of('\\') + 1) + "temp.img";
  for (DWORD attributes : {DWORD{FILE_ATTRIBUTE_NORMAL}, DWORD{FILE_ATTRIBUTE_HIDDEN}, DWORD{FILE_ATTRIBUTE_SYSTEM}}) {
    E2E_CHECK(WriteBytes(image, "stale picture"));
    E2E_CHECK(SetFileAttributesA(image.c_str(), attributes));
    App app;
    E2E_TRY(OpenStowr(run, app, ""));
    const bool gone = GetFileAttributesA(image.c_str()) == INVALID_FILE_ATTRIBUTES;
    SetFileAttributesA(image.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(image.c_str());
    E2E_CHECK(gone == (attributes == FILE_ATTRIBUTE_NORMAL));
    E2E_TRY(CloseStowr(run, app));
  }
  return true;
}

// The rows, the first one selected; typing a row's number in the list selects that row.
bool ListsChunks(Run& run) {
  App app;
  E2E_TRY(OpenStowr(run, app, WriteThreeChunkFile(run)));
  E2E_TRY(ExpectListState(run, app, 3, true));
  E2E_TRY(ExpectRows(run, app, kThreeRows));
  HWND list = GetDlgItem(app.main, kChunkList);
  E2E_CHECK(SelectedRows(list) == std::vector<int>{0});
  E2E_CHECK(FocusControl(app, list));
  PostKey(app, '3');
  E2E_CHECK(Drain(GetDlgItem(app.main, kChooseButton)));
  E2E_CHECK(SelectedRows(list) == std::vector<int>{2});
  return CloseStowr(run, app);
}

// One chunk reads "1 chunk"; a file without chunks still enables Add Tailpack.
bool SingularAndEmptyFiles(Run& run) {
  struct Row {
    std::vector<TestChunk> chunks;
    int count;
  };
  const Row rows[] = {{{}, 0}, {{{"ONE", std::string(2048, 'x')}}, 1}};
  for (const Row& row : rows) {
    const std::string path = run.folder + "file" + std::to_string(row.count) + ".exe";
    WriteBytes(path, FileBytes(ExeBody(1024), row.chunks));
    App app;
    E2E_TRY(OpenStowr(run, app, path));
    E2E_EQ(ControlText(app.main, kPathLabel), path);
    E2E_TRY(ExpectListState(run, app, row.count, true));
    if (row.count == 1) E2E_TRY(ExpectRows(run, app, {{"1", "ONE", "Text", "2,048 B", "@ 1,025"}}));
    E2E_TRY(CloseStowr(run, app));
  }
  return true;
}

// Removes the chunk of the first selected row and checks the bytes and rows that remain.
bool RemoveOneWithSelection(Run& run, const std::vector<int>& selection) {
  const std::string path = WriteThreeChunkFile(run);
  App app;
  E2E_TRY(OpenStowr(run, app, path));
  E2E_TRY(SelectOnly(run, app, selection));
  E2E_TRY(ConfirmAction(run, app, kRemoveOneButton, "stowr - remove one", IDYES));
  const int removed = selection.front();
  std::vector<TestChunk> chunks = ThreeChunks();
  chunks.erase(chunks.begin() + removed);
  E2E_TRY(ExpectListState(run, app, 2, true));
  E2E_FILE_HOLDS(path, FileBytes(ExeBody(1024), chunks));
  const auto cells = ListCells(app, GetDlgItem(app.main, kChunkList), kListColumns);
  E2E_EQ(cells[0][0], "1");
  E2E_EQ(cells[1][0], "2");
  E2E_EQ(cells[0][1], removed == 0 ? "BIN" : "TXT");
  E2E_EQ(cells[1][1], removed == 2 ? "BIN" : " AB");
  E2E_CHECK(SelectedRows(GetDlgItem(app.main, kChunkList)) == std::vector<int>{0});
  return CloseStowr(run, app);
}

bool RemoveOneFirst(Run& run) { return RemoveOneWithSelection(run, {0}); }
bool RemoveOneMiddle(Run& run) { return RemoveOneWithSelection(run, {1}); }
bool RemoveOneLast(Run& run) { return RemoveOneWithSelection(run, {2}); }
bool RemoveOneFirstSelected(Run& run) { return RemoveOneWithSelection(run, {1, 2}); }

bool RemoveAll(Run& run) {
  const std::string path = WriteThreeChunkFile(run);
  App app;
  E2E_TRY(OpenStowr(run, app, path));
  E2E_TRY(ConfirmAction(run, app, kRemoveAllButton, "stowr - remove all", IDYES));
  E2E_TRY(ExpectListState(run, app, 0, true));
  E2E_FILE_HOLDS(path, ExeBody(1024));
  E2E_EQ(ControlText(app.main, kPathLabel), path);
  return CloseStowr(run, app);
}

// Answering No to either confirmation leaves the file, the list and the selection alone.
bool AnswerNoKeepsFile(Run& run) {
  const std::string path = WriteThreeChunkFile(run);
  const std::string before = ReadBytes(path);
  App app;
  E2E_TRY(OpenStowr(run, app, path));
  E2E_TRY(SelectOnly(run, app, {2}));
  E2E_TRY(ConfirmAction(run, app, kRemoveOneButton, "stowr - remove one", IDNO));
  E2E_TRY(ConfirmAction(run, app, kRemoveAllButton, "stowr - remove all", IDNO));
  E2E_FILE_HOLDS(path, before);
  E2E_TRY(ExpectListState(run, app, 3, true));
  E2E_TRY(ExpectRows(run, app, kThreeRows));
  E2E_CHECK(SelectedRows(GetDlgItem(app.main, kChunkList)) == std::vector<int>{2});
  return CloseStowr(run, app);
}

// Remove One with no row selected must not cut anything, whatever it says to the user.
bool RemoveOneWithoutSelection(Run& run) {
  const std::string path = WriteThreeChunkFile(run);
  const std::string before = ReadBytes(path);
  App app;
  E2E_TRY(OpenStowr(run, app, path));
  E2E_TRY(SelectOnly(run, app, {}));
  Click(app.main, kRemoveOneButton);
  for (int boxes = 0; boxes < 3; ++boxes) {
    E2E_CHECK(Drain(GetDlgItem(app.main, kChooseButton)));
    HWND box = nullptr;
    for (HWND window : TopWindows(app))
      if (window != app.main && ClassOf(window) == "#32770") box = window;
    if (!box) break;
    const std::string caption = WindowText(box);
    PressDialogButton(box, FindDescendant(box, IDYES) ? IDYES : IDOK);
    E2E_CHECK(WaitForWindowGone(app, caption));
  }
  E2E_CHECK(Sync(app.main));
  E2E_FILE_HOLDS(path, before);
  E2E_TRY(ExpectListState(run, app, 3, true));
  return CloseStowr(run, app);
}

// A program that cannot take a change (read-only, or held by another program that shares it only
// for reading) is reported first, before the file dialog or the confirmation, in the words of the
// write, and keeps its bytes.
bool UnwritableRefusedFirst(Run& run) {
  const std::string path = WriteThreeChunkFile(run);
  const std::string before = ReadBytes(path);
  struct Holder {
    std::string path;
    HANDLE file = INVALID_HANDLE_VALUE;
    ~Holder() {
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
  };
  App app;
  E2E_TRY(OpenStowr(run, app, path));
  for (bool held : {false, true}) {
    Holder holder{path};
    if (held)
      holder.file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    else
      E2E_CHECK(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    E2E_CHECK(!held || holder.file != INVALID_HANDLE_VALUE);
    for (int button : {kAddButton, kRemoveOneButton, kRemoveAllButton}) {
      Click(app.main, button);
      HWND box = WaitForClass(app, "#32770", app.main);
      E2E_CHECK(box != nullptr);
      E2E_EQ(WindowText(box), "stowr - error");
      const std::string head = "Could not write file:\r" + path + "\r";
      E2E_EQ(MessageBoxText(box).substr(0, head.size()), head);
      PressDialogButton(box, IDOK);
      E2E_CHECK(WaitForWindowGone(app, "stowr - error") && Sync(app.main));
      E2E_CHECK(TopWindows(app).size() == 1);
    }
  }
  E2E_FILE_HOLDS(path, before);
  E2E_TRY(ExpectListState(run, app, 3, true));
  return CloseStowr(run, app);
}

// After the chooser closed: the three-chunk file at path is listed, then the program is closed.
bool ExpectChosenAndClose(Run& run, App& app, const std::string& path) {
  E2E_CHECK(WaitForWindowGone(app, "Select Program"));
  E2E_CHECK(Sync(app.main));
  E2E_EQ(ControlText(app.main, kPathLabel), path);
  E2E_TRY(ExpectListState(run, app, 3, true));
  E2E_TRY(ExpectRows(run, app, kThreeRows));
  return CloseStowr(run, app);
}

bool SelectProgram(Run& run) {
  const std::string path = WriteThreeChunkFile(run);
  App app;
  E2E_TRY(OpenStowr(run, app, ""));
  Click(app.main, kChooseButton);
  HWND dialog = WaitForWindow(app, "Select Program", "#32770");
  E2E_CHECK(dialog != nullptr);
  E2E_CHECK(GetWindow(dialog, GW_OWNER) == app.main);
  E2E_CHECK(AnswerOpenDialog(dialog, path));
  return ExpectChosenAndClose(run, app, path);
}

// Cancelling the chooser keeps the loaded executable, its rows and its buttons.
bool SelectProgramCancel(Run& run) {
  const std::string path = WriteThreeChunkFile(run);
  App app;
  E2E_TRY(OpenStowr(run, app, path));
  Click(app.main, kChooseButton);
  HWND dialog = WaitForWindow(app, "Select Program", "#32770");
  E2E_CHECK(dialog != nullptr);
  PressDialogButton(dialog, IDCANCEL);
  return ExpectChosenAndClose(run, app, path);
}

// Escape reaches the window as command 2, which closes nothing and opens nothing, wherever the
// focus is.
bool EscapePosted(Run& run) {
  const std::string path = WriteThreeChunkFile(run);
  const std::string before = ReadBytes(path);
  App app;
  E2E_TRY(OpenStowr(run, app, path));
  HWND chooser = GetDlgItem(app.main, kChooseButton);
  for (int focus : {kChunkList, kChooseButton, kRemoveAllButton}) {
    E2E_CHECK(FocusControl(app, GetDlgItem(app.main, focus)));
    PostKey(app, VK_ESCAPE);
    const std::string what = "Escape on control " + std::to_string(focus);
    if (!Drain(chooser) || !IsWindowVisible(app.main)) return Fail(run, __LINE__, what + " closed the window");
    if (TopWindows(app).size() != 1) return Fail(run, __LINE__, what + " opened a window");
  }
  E2E_FILE_HOLDS(path, before);
  E2E_TRY(ExpectListState(run, app, 3, true));
  return CloseStowr(run, app);
}

// The window from the keyboard alone: Tab reaches the list, where Escape closes nothing, the
// arrow keys select rows and Enter previews the selected one; Escape closes the Viewer, and
// Ctrl+O opens the executable chooser, whose answer is listed.
bool KeyboardAlone(Run& run) {
  const std::string first = WriteThreeChunkFile(run), second = run.folder + "second.exe";
  E2E_CHECK(WriteBytes(second, FileBytes(ExeBody(1024), {{"ONE", "1"}})));
  App app;
  E2E_TRY(OpenStowr(run, app, first));
  E2E_CHECK(BringToFront(app));
  HWND list = GetDlgItem(app.main, kChunkList);
  E2E_CHECK(FocusedWindow(app) == GetDlgItem(app.main, kChooseButton));
  TypeKey(VK_TAB);
  E2E_CHECK(PollUntil([&] { return FocusedWindow(app) == list; }, kWindowWait));
  TypeKey(VK_ESCAPE);
  for (int down = 0; down < 2; ++down) TypeKey(VK_DOWN);
  E2E_CHECK(PollUntil([&] { return SelectedRows(list) == std::vector<int>{2}; }, kWindowWait));
  E2E_CHECK(TopWindows(app).size() == 1);
  TypeKey(VK_RETURN);
  HWND viewer = WaitForWindow(app, kViewerTitle);
  E2E_CHECK(viewer != nullptr && DrainEdit(GetDlgItem(viewer, kViewerPaneId)));
  E2E_EQ(ControlText(viewer, kViewerPaneId), "hello");
  TypeKey(VK_ESCAPE);
  E2E_CHECK(WaitForWindowGone(app, kViewerTitle));
  E2E_CHECK(PollUntil([&] { return IsWindowEnabled(app.main) && FocusedWindow(app) == list; }, kWindowWait));
  TypeKey('O', VK_CONTROL);
  HWND chooser = WaitForWindow(app, "Select Program", "#32770");
  E2E_CHECK(chooser != nullptr && AnswerOpenDialog(chooser, second));
  E2E_TRY(ExpectListState(run, app, 1, true));
  E2E_EQ(ControlText(app.main, kPathLabel), second);
  return CloseStowr(run, app);
}

// Tab walks "...", the list and the enabled buttons in creation order.
bool TabOrder(Run& run) {
  App app;
  E2E_TRY(OpenStowr(run, app, WriteThreeChunkFile(run)));
  E2E_CHECK(FocusControl(app, GetDlgItem(app.main, kChooseButton)));
  const int order[] = {kChunkList, kAddButton, kRemoveOneButton, kRemoveAllButton, kPreviewButton,
                       kExtractOneButton, kExtractAllButton, kChooseButton};
  for (int expected : order) {
    PostKey(app, VK_TAB);
    E2E_CHECK(Drain(GetDlgItem(app.main, kChooseButton)));
    const int focused = GetDlgCtrlID(FocusedWindow(app));
    if (focused != expected)
      return Fail(run, __LINE__, "Tab went to " + std::to_string(focused) + ", want " + std::to_string(expected));
  }
  return CloseStowr(run, app);
}

// Alt+Space, then the window menu's last item: "About stowr..." tells the release's version and
// licence, and the title keeps its text.
bool AboutBox(Run& run) {
  App app;
  E2E_TRY(OpenStowr(run, app, ""));
  E2E_CHECK(BringToFront(app));
  TypeKey(VK_SPACE, VK_MENU);
  E2E_CHECK(WaitForMenu(app) != nullptr);
  TypeKey(VK_UP);
  TypeKey(VK_RETURN);
  HWND box = WaitForWindow(app, "stowr - about", "#32770");
  E2E_CHECK(box != nullptr && GetWindow(box, GW_OWNER) == app.main);
  const std::string head = "stowr - Tailpack Manager\rVersion " STOWR_VERSION "\r\rMIT License\rCopyright";
  E2E_EQ(MessageBoxText(box).substr(0, head.size()), head);
  PressDialogButton(box, IDOK);
  E2E_CHECK(WaitForWindowGone(app, "stowr - about"));
  E2E_EQ(WindowText(app.main), kMainTitle);
  return CloseStowr(run, app);
}

// Removing the last chunks disables the button that had the focus; the focus moves on to the
// next enabled tab stop, so Tab and Escape keep working from the keyboard.
bool FocusMovesOnWhenItsButtonGoes(Run& run) {
  struct Row {
    std::vector<TestChunk> chunks;
    int button;
    const char* caption;
  };
  const Row rows[] = {{ThreeChunks(), kRemoveAllButton, "stowr - remove all"},
                      {{{"ONE", "1"}}, kRemoveOneButton, "stowr - remove one"}};
  for (const Row& row : rows) {
    const std::string path = run.folder + "focus.exe";
    WriteBytes(path, FileBytes(ExeBody(1024), row.chunks));
    App app;
    E2E_TRY(OpenStowr(run, app, path));
    E2E_CHECK(BringToFront(app));
    E2E_CHECK(FocusControl(app, GetDlgItem(app.main, row.button)));
    PostKey(app, VK_SPACE);
    E2E_TRY(AnswerBox(run, app, row.caption, "Are you sure?", IDYES));
    E2E_TRY(ExpectListState(run, app, 0, true));
    E2E_FILE_HOLDS(path, ExeBody(1024));
    E2E_CHECK(GetDlgCtrlID(FocusedWindow(app)) == kChooseButton);
    PostKey(app, VK_TAB);
    PostKey(app, VK_ESCAPE);
    E2E_CHECK(Drain(GetDlgItem(app.main, kChooseButton)));
    E2E_CHECK(GetDlgCtrlID(FocusedWindow(app)) == kChunkList);
    E2E_CHECK(IsWindowVisible(app.main));
    E2E_TRY(CloseStowr(run, app));
  }
  return true;
}

}  // namespace

std::vector<Case> MainWindowCases() {
  return {
      {"starts_empty", StartsEmpty},
      {"command_line_paths", CommandLinePaths},
      {"stale_image_deleted", StaleImageDeleted},
      {"lists_chunks", ListsChunks},
      {"singular_and_empty_files", SingularAndEmptyFiles},
      {"remove_one_first", RemoveOneFirst},
      {"remove_one_middle", RemoveOneMiddle},
      {"remove_one_last", RemoveOneLast},
      {"remove_one_first_selected", RemoveOneFirstSelected},
      {"remove_one_without_selection", RemoveOneWithoutSelection},
      {"remove_all", RemoveAll},
      {"answer_no_keeps_file", AnswerNoKeepsFile},
      {"unwritable_refused_first", UnwritableRefusedFirst},
      {"select_program", SelectProgram},
      {"select_program_cancel", SelectProgramCancel},
      {"escape_posted", EscapePosted},
      {"keyboard_alone", KeyboardAlone},
      {"tab_order", TabOrder},
      {"about_box", AboutBox},
      {"focus_moves_on_when_its_button_goes", FocusMovesOnWhenItsButtonGoes},
  };
}

}  // namespace e2e
