// End-to-end cases of the window as a Windows user works it: the list's double-click, Delete, F5
// and context menus, Replace (in a signed program too), a progress bar that tells the truth,
// windows kept on screen, and previews that read right.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "e2e/cases.h"
#include "e2e/fixture_files.h"
#include "e2e/png.h"
#include "e2e/stowr_ui.h"
// (needs <windows.h> above it, from remote_ui.h)
#include <commctrl.h>

namespace e2e {
namespace {

const std::vector<TestChunk> kThree = {{"ONE", "first chunk"}, {"TWO", "second chunk"}, {"THR", "third chunk"}};

std::string WriteExe(Run& run, const std::vector<TestChunk>& chunks, const std::string& name = "packed.exe") {
  const std::string path = run.folder + name;
  WriteBytes(path, FileBytes(ExeBody(1024), chunks));
  return path;
}

POINT Center(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

// Right-clicks a row of the list (or, for row -1, the empty space below the rows) and returns the
// popup menu once it shows.
HWND RightClickList(Run& run, App& app, int row) {
  HWND list = GetDlgItem(app.main, kChunkList);
  RECT rect{};
  if (row >= 0) {
    if (!RowRect(app, list, row, rect)) return Fail(run, __LINE__, "no row " + std::to_string(row)), nullptr;
  } else {
    GetWindowRect(list, &rect);
    rect.top = rect.bottom - 20;
    rect.bottom -= 10;
  }
  if (!BringToFront(app)) return Fail(run, __LINE__, "the Main window does not come to the front"), nullptr;
  MouseClick(Center(rect), true);
  HWND menu = WaitForMenu(app);
  if (!menu) return Fail(run, __LINE__, "no context menu"), nullptr;
  if (row >= 0 && !PollUntil([&] { return SelectedRows(list) == std::vector<int>{row}; }, kWindowWait))
    return Fail(run, __LINE__, "the row clicked is not the selection"), nullptr;
  return menu;
}

// A menu that is still opening shows only some of its items: it is read again until it shows
// them as wanted, or the time is up.
bool ExpectMenu(Run& run, HWND menu, const std::vector<bool>& enabled) {
  std::string got, want;
  for (bool on : enabled) want += on ? '1' : '0';
  PollUntil(
      [&] {
        got.clear();
        for (bool on : MenuItemsEnabled(menu, static_cast<int>(enabled.size()))) got += on ? '1' : '0';
        return got == want;
      },
      kWindowWait);
  E2E_EQ(got, want);
  return true;
}

// A double-click on a row previews that row; the view opens at its first byte, the caret there.
bool DoubleClickPreviews(Run& run) {
  std::string longText;
  for (int line = 1; longText.size() < 20000; ++line) longText += "line " + std::to_string(line) + "\r\n";
  App app;
  E2E_TRY(OpenStowr(run, app, WriteExe(run, {kThree[0], {"LNG", longText}, kThree[2]})));
  HWND list = GetDlgItem(app.main, kChunkList);
  RECT row{};
  E2E_CHECK(RowRect(app, list, 1, row));
  E2E_CHECK(BringToFront(app));
  MouseClick(Center(row), false, true);
  HWND viewer = WaitForWindow(app, kViewerTitle);
  E2E_CHECK(viewer != nullptr);
  E2E_CHECK(SelectedRows(list) == std::vector<int>{1});
  HWND pane = GetDlgItem(viewer, kViewerPaneId);
  E2E_CHECK(DrainEdit(pane));
  E2E_CHECK(ControlText(viewer, kViewerPaneId) == longText);
  E2E_CHECK(SendMessageA(pane, EM_GETSEL, 0, 0) == 0);  // caret at 0, nothing selected
  E2E_CHECK(SendMessageA(pane, EM_GETFIRSTVISIBLELINE, 0, 0) == 0);
  E2E_TRY(CloseViewer(run, app, viewer));
  return CloseStowr(run, app);
}

// Delete on the selected row asks as Remove One does, then removes that chunk.
bool DeleteKeyRemoves(Run& run) {
  App app;
  const std::string exe = WriteExe(run, kThree);
  E2E_TRY(OpenStowr(run, app, exe));
  HWND list = GetDlgItem(app.main, kChunkList);
  E2E_CHECK(SetRowSelected(app, list, 0, false) && SetRowSelected(app, list, 1, true));
  E2E_CHECK(FocusControl(app, list));
  PostKey(app, VK_DELETE);
  E2E_TRY(AnswerBox(run, app, "stowr - remove one", "Are you sure?", IDYES));
  E2E_TRY(ExpectListState(run, app, 2, true));
  E2E_FILE_HOLDS(exe, FileBytes(ExeBody(1024), {kThree[0], kThree[2]}));
  return CloseStowr(run, app);
}

// The menus over a row and over empty space, greyed as the buttons are; an item runs its button's
// flow ("Remove" asks first).
bool ContextMenus(Run& run) {
  {
    App app;
    E2E_TRY(OpenStowr(run, app, ""));
    HWND menu = RightClickList(run, app, -1);
    E2E_CHECK(menu != nullptr);
    E2E_TRY(ExpectMenu(run, menu, {false, false, false}));
    PostKey(app, VK_ESCAPE);
    E2E_CHECK(PollUntil([&] { return !IsWindowVisible(menu); }, kWindowWait));
    E2E_TRY(CloseStowr(run, app));
  }
  App app;
  const std::string exe = WriteExe(run, kThree);
  E2E_TRY(OpenStowr(run, app, exe));
  HWND menu = RightClickList(run, app, -1);
  E2E_CHECK(menu != nullptr);
  E2E_TRY(ExpectMenu(run, menu, {true, true, true}));
  TypeKey(VK_ESCAPE);
  E2E_CHECK(PollUntil([&] { return !IsWindowVisible(menu); }, kWindowWait));
  // The menu key on the selected row.
  HWND list = GetDlgItem(app.main, kChunkList);
  E2E_CHECK(SetRowSelected(app, list, -1, false) && SetRowSelected(app, list, 1, true));
  E2E_CHECK(FocusControl(app, list));
  PostKey(app, VK_APPS);
  menu = WaitForMenu(app);
  E2E_CHECK(menu != nullptr);
  E2E_TRY(ExpectMenu(run, menu, {true, true, true, true}));
  TypeKey(VK_ESCAPE);
  E2E_CHECK(PollUntil([&] { return !IsWindowVisible(menu); }, kWindowWait));
  menu = RightClickList(run, app, 2);
  E2E_CHECK(menu != nullptr);
  E2E_TRY(ExpectMenu(run, menu, {true, true, true, true}));
  ClickMenuItem(menu, 3, 4);  // "Remove"
  E2E_TRY(AnswerBox(run, app, "stowr - remove one", "Are you sure?", IDYES));
  E2E_TRY(ExpectListState(run, app, 2, true));
  E2E_FILE_HOLDS(exe, FileBytes(ExeBody(1024), {kThree[0], kThree[1]}));
  return CloseStowr(run, app);
}

// Chooses "Replace..." on row and answers the open dialog with file.
bool ReplaceRow(Run& run, App& app, int row, const std::string& file) {
  HWND menu = RightClickList(run, app, row);
  E2E_CHECK(menu != nullptr);
  ClickMenuItem(menu, 2, 4);
  HWND chooser = WaitForWindow(app, "Select resource", "#32770");

  E2E_CHECK(chooser != nullptr && GetWindow(chooser, GW_OWNER) == app.main);
  E2E_CHECK(AnswerOpenDialog(chooser, file));
  return true;
}

// The new bytes take the chunk's place under its kind; the chunk stays selected.
bool ReplaceKeepsOrder(Run& run) {
  App app;
  const std::string exe = WriteExe(run, kThree);
  E2E_CHECK(WriteBytes(run.folder + "new.txt", "the new second chunk, longer"));
  E2E_TRY(OpenStowr(run, app, exe));
  E2E_TRY(ReplaceRow(run, app, 1, run.folder + "new.txt"));
  E2E_CHECK(PollUntil([&] { return ListCell(app, GetDlgItem(app.main, kChunkList), 1, 3) == "28 B"; }, kWindowWait));
  E2E_TRY(ExpectListState(run, app, 3, true));
  E2E_CHECK(SelectedRows(GetDlgItem(app.main, kChunkList)) == std::vector<int>{1});
  E2E_FILE_HOLDS(exe, FileBytes(ExeBody(1024), {kThree[0], {"TWO", "the new second chunk, longer"}, kThree[2]}));
  return CloseStowr(run, app);
}

std::string SignedFolder() {
  const char* folder = std::getenv("STOWR_E2E_SIGNED");
  return folder && *folder ? std::string(folder) + "\\" : std::string();
}

// In a signed program a chunk inside the certificate table is replaced there, and the copy left
// as replaced.exe must still verify (scripts/e2e.sh); a chunk added before signing asks about the
// signature before anything else, and No leaves the file alone.
bool SignedReplace(Run& run) {
  E2E_CHECK(!SignedFolder().empty());
  const std::string exe = run.folder + "example.exe", front = run.folder + "front.exe";
  E2E_CHECK(CopyFileA((SignedFolder() + "example.exe").c_str(), exe.c_str(), FALSE));
  E2E_CHECK(CopyFileA((SignedFolder() + "front.exe").c_str(), front.c_str(), FALSE));
  E2E_CHECK(WriteBytes(run.folder + "old.txt", "old"));
  E2E_CHECK(WriteBytes(run.folder + "new.txt", "a longer replacement text"));
  {
    App app;
    E2E_TRY(OpenStowr(run, app, exe));
    HWND dialog = OpenAddDialog(run, app, run.folder + "old.txt");
    E2E_CHECK(dialog != nullptr);
    E2E_CHECK(TypeDescriptor(dialog, "TXT"));
    E2E_TRY(ExpectListState(run, app, 1, true));
    E2E_TRY(ReplaceRow(run, app, 0, run.folder + "new.txt"));
    E2E_CHECK(PollUntil([&] { return ListCell(app, GetDlgItem(app.main, kChunkList), 0, 3) == "25 B"; }, kWindowWait));
    E2E_CHECK(TopWindows(app).size() == 1);  // no signature question
    E2E_TRY(CloseStowr(run, app));
  }
  const std::string bytes = ReadBytes(exe);
  E2E_CHECK(bytes.size() > 42 && bytes.substr(bytes.size() - 42) == "a longer replacement text00000019TXT{TlPk}");
  E2E_CHECK(CopyFileA(exe.c_str(), (SignedFolder() + "replaced.exe").c_str(), FALSE));

  const std::string before = ReadBytes(front);
  App app;
  E2E_TRY(OpenStowr(run, app, front));
  E2E_TRY(ExpectListState(run, app, 1, true));
  HWND menu = RightClickList(run, app, 0);
  E2E_CHECK(menu != nullptr);
  ClickMenuItem(menu, 2, 4);
  E2E_TRY(AnswerBox(run, app, "stowr - signature", "", IDNO));
  E2E_CHECK(TopWindows(app).size() == 1);
  E2E_FILE_HOLDS(front, before);
  return CloseStowr(run, app);
}

// F5 scans again after another program changed the file; the selected chunk stays selected.
bool F5Rescans(Run& run) {
  App app;
  const std::string exe = WriteExe(run, kThree);
  E2E_TRY(OpenStowr(run, app, exe));
  HWND list = GetDlgItem(app.main, kChunkList);
  E2E_CHECK(SetRowSelected(app, list, 0, false) && SetRowSelected(app, list, 2, true));
  E2E_CHECK(WriteBytes(exe, FileBytes(ExeBody(1024), {kThree[1], kThree[2]})));
  E2E_CHECK(FocusControl(app, list));
  PostKey(app, VK_F5);
  E2E_TRY(ExpectListState(run, app, 2, true));
  E2E_EQ(ListCell(app, list, 1, 1), "THR");
  E2E_CHECK(SelectedRows(list) == std::vector<int>{1});
  return CloseStowr(run, app);
}

// "412 of 1,124 MB": the figure's numbers.
bool ParseFigure(const std::string& text, double& done, double& total) {
  std::string digits;
  for (char c : text)
    if (c != ',') digits += c;
  char unit[8] = {};
  return std::sscanf(digits.c_str(), "%lf of %lf %7s", &done, &total, unit) == 3 && std::string(unit) == "MB";
}

// During a large add the bar runs from 0 to 1000 and its position is the share of the figure:
// read between two readings of the figure, it lies between their shares.
bool ProgressBarTellsTheTruth(Run& run) {
  const std::string exe = run.folder + "large.exe";
  E2E_CHECK(WriteLargeExe(exe, std::uint64_t{8} << 30, ChunkBytes({"TXT", "small text"}), true));
  E2E_CHECK(WriteBytes(run.folder + "res.txt", "new data"));
  App app;
  E2E_TRY(OpenStowr(run, app, exe));
  HWND dialog = OpenAddDialog(run, app, run.folder + "res.txt");
  E2E_CHECK(dialog != nullptr);
  E2E_CHECK(TypeDescriptor(dialog, "NEW"));
  HWND progress = WaitForWindow(app, kBusyTitle, "#32770");
  E2E_CHECK(progress != nullptr);
  HWND bar = GetDlgItem(progress, kProgressBar);
  E2E_CHECK(SendMessageA(bar, PBM_GETRANGE, FALSE, 0) == 1000 && SendMessageA(bar, PBM_GETRANGE, TRUE, 0) == 0);
  double first = 0, last = 0, total = 0, total2 = 0;
  E2E_CHECK(PollUntil([&] { return ParseFigure(ControlText(progress, kProgressFigure), first, total) && first > 0; }, kWindowWait));
  const LRESULT position = SendMessageA(bar, PBM_GETPOS, 0, 0);
  E2E_CHECK(ParseFigure(ControlText(progress, kProgressFigure), last, total2));
  E2E_CHECK(total == 8193 && total2 == total);
  if (position < first * 1000 / total - 2 || position > (last + 1) * 1000 / total + 2)
    return Fail(run, __LINE__, "bar at " + std::to_string(position) + " of 1000 while the figure went from " +
                                   std::to_string(first) + " to " + std::to_string(last) + " of 8,193 MB");
  PressDialogButton(progress, IDCANCEL);
  E2E_CHECK(WaitForWindowGone(app, kBusyTitle));
  E2E_TRY(ExpectListState(run, app, 1, true));
  return CloseStowr(run, app);
}

bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

RECT WorkArea(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

// With the Main window at the top-left corner of the work area, the Viewer (120 and 70 pixels up
// and left of the Main window's client area) and the open dialog move just onto the work area.
bool WindowsOnScreen(Run& run) {
  App app;
  E2E_TRY(OpenStowr(run, app, WriteExe(run, kThree)));
  const RECT work = WorkArea(app.main);
  SetWindowPos(app.main, nullptr, work.left, work.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  E2E_CHECK(Sync(app.main));
  HWND viewer = OpenViewer(run, app, 0);
  E2E_CHECK(viewer != nullptr);
  RECT outer{};
  GetWindowRect(viewer, &outer);
  if (!Inside(outer, work) || outer.left != work.left || outer.top != work.top)
    return Fail(run, __LINE__, "Viewer at " + std::to_string(outer.left) + "," + std::to_string(outer.top));
  E2E_TRY(CloseViewer(run, app, viewer));
  Click(app.main, kChooseButton);
  HWND chooser = WaitForClass(app, "#32770", app.main);
  E2E_CHECK(chooser != nullptr);
  E2E_CHECK(PollUntil([&] { GetWindowRect(chooser, &outer); return Inside(outer, work); }, kWindowWait));
  PressDialogButton(chooser, IDCANCEL);
  E2E_CHECK(PollUntil([&] { return IsWindowEnabled(app.main) && Sync(app.main); }, kWindowWait));
  return CloseStowr(run, app);
}

// Escape closes the picture view as it closes the text views.
bool EscapeClosesPicture(Run& run) {
  App app;
  E2E_TRY(OpenStowr(run, app, WriteExe(run, {{"PNG", SolidPng(10, 10, 0xFF0000)}})));
  HWND viewer = OpenViewer(run, app, 0);
  E2E_CHECK(viewer != nullptr);
  PostKey(app, VK_ESCAPE);
  E2E_CHECK(WaitForWindowGone(app, kViewerTitle));
  E2E_CHECK(PollUntil([&] { return IsWindowEnabled(app.main) != 0; }, kWindowWait));
  return CloseStowr(run, app);
}

// A Text chunk of UTF-8 reads as written.
bool Utf8Text(Run& run) {
  const std::string text = "caf\xC3\xA9 \xE2\x82\xAC\r\nna\xC3\xAFve";
  App app;
  E2E_TRY(OpenStowr(run, app, WriteExe(run, {{"UTF", text}})));
  HWND viewer = OpenViewer(run, app, 0);
  E2E_CHECK(viewer != nullptr);
  E2E_EQ(ControlText(viewer, kViewerPaneId), text);
  E2E_TRY(CloseViewer(run, app, viewer));
  return CloseStowr(run, app);
}

// With "temp.img" beside the program a folder (so no file of that name can go there), the picture
// still shows, from the user's temporary folder, and that file is gone afterwards.
bool PictureInTemporaryFolder(Run& run) {
  const std::string beside = run.program.substr(0, run.program.find_last_of('\\') + 1) + "temp.img";
  char folder[MAX_PATH + 1] = {};
  GetTempPathA(sizeof folder, folder);
  const std::string temp = std::string(folder) + "temp.img", png = SolidPng(10, 10, 0xFF0000);
  E2E_CHECK(CreateDirectoryA(beside.c_str(), nullptr));
  struct Cleanup {
    std::string folder;
    ~Cleanup() { RemoveDirectoryA(folder.c_str()); }
  } cleanup{beside};
  App app;
  E2E_TRY(OpenStowr(run, app, WriteExe(run, {{"PNG", png}})));
  HWND viewer = OpenViewer(run, app, 0);
  E2E_CHECK(viewer != nullptr);
  E2E_FILE_HOLDS(temp, png);
  int width = 0, height = 0;
  std::vector<std::uint32_t> pixels;
  E2E_CHECK(PollUntil([&] {
    pixels = CaptureClient(GetDlgItem(viewer, kViewerPaneId), width, height);
    return !pixels.empty() && pixels[0] == 0xFF0000;
  }, kWindowWait));
  E2E_TRY(CloseViewer(run, app, viewer));
  E2E_CHECK(PollUntil([&] { return GetFileAttributesA(temp.c_str()) == INVALID_FILE_ATTRIBUTES; }, kWindowWait));
  return CloseStowr(run, app);
}

}  // namespace

std::vector<Case> HabitCases() {
  return {
      {"habit_double_click_previews", DoubleClickPreviews},
      {"habit_delete_key_removes", DeleteKeyRemoves},
      {"habit_context_menus", ContextMenus},
      {"habit_replace_keeps_order", ReplaceKeepsOrder},
      {"habit_signed_replace", SignedReplace},
      {"habit_f5_rescans", F5Rescans},
      {"habit_progress_bar_truth", ProgressBarTellsTheTruth},
      {"habit_windows_on_screen", WindowsOnScreen},
      {"habit_escape_closes_picture", EscapeClosesPicture},
      {"habit_utf8_text", Utf8Text},
      {"habit_picture_in_temp_folder", PictureInTemporaryFolder},
  };
}

}  // namespace e2e
