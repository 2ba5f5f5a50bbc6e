// Steps shared by the Main window cases.
#include "e2e/stowr_ui.h"

namespace e2e {

bool OpenStowr(Run& run, App& app, const std::string& args) {
  std::string why;
  if (!StartProgram(run.program, args, run.folder, app, why)) return Fail(run, __LINE__, why);
  app.main = WaitForWindow(app, kMainTitle);
  if (!app.main) return Fail(run, __LINE__, "no window \"" + std::string(kMainTitle) + "\" for arguments " + args);
  return Sync(app.main) || Fail(run, __LINE__, "the Main window does not answer");
}

bool AnswerBox(Run& run, App& app, const std::string& caption, const std::string& text, int button) {
  HWND box = WaitForWindow(app, caption, "#32770");
  if (!box) return Fail(run, __LINE__, "no message box \"" + caption + "\"");
  if (!text.empty() && MessageBoxText(box) != text)
    return Fail(run, __LINE__, "message box \"" + caption + "\" says \"" + MessageBoxText(box) + "\"");
  if (GetWindow(box, GW_OWNER) != app.main) return Fail(run, __LINE__, "message box \"" + caption + "\" not owned by the Main window");
  PressDialogButton(box, button);
  if (!WaitForWindowGone(app, caption)) return Fail(run, __LINE__, "message box \"" + caption + "\" stays open");
  return Sync(app.main) || Fail(run, __LINE__, "the Main window does not answer");
}

bool ConfirmAction(Run& run, App& app, int buttonId, const std::string& caption, int answer) {
  Click(app.main, buttonId);
  return AnswerBox(run, app, caption, "Are you sure?", answer);
}

HWND OpenAddDialog(Run& run, App& app, const std::string& file) {
  Click(app.main, kAddButton);
  HWND chooser = WaitForWindow(app, "Select resource", "#32770");
  if (!chooser || GetWindow(chooser, GW_OWNER) != app.main || !AnswerOpenDialog(chooser, file)) {
    Fail(run, __LINE__, "no \"Select resource\" dialog owned by the Main window");
    return nullptr;
  }
  HWND dialog = WaitForWindow(app, kAddDialogTitle);
  if (!dialog || GetWindow(dialog, GW_OWNER) != app.main) Fail(run, __LINE__, "no Add dialog owned by the Main window");
  return dialog;
}

bool TypeDescriptor(HWND dialog, const std::string& text) {
  HWND box = GetDlgItem(dialog, kDescriptorBox);
  if (!box || !SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()))) return false;
  PressDialogButton(dialog, IDOK);
  return true;
}

HWND OpenViewer(Run& run, App& app, int row) {
  HWND list = GetDlgItem(app.main, kChunkList);
  if (!SetRowSelected(app, list, -1, false) || !SetRowSelected(app, list, row, true)) {
    Fail(run, __LINE__, "cannot select row " + std::to_string(row));
    return nullptr;
  }
  Click(app.main, kPreviewButton);
  HWND viewer = WaitForWindow(app, kViewerTitle);
  if (!viewer) Fail(run, __LINE__, "no Viewer for row " + std::to_string(row));
  else if (GetWindow(viewer, GW_OWNER) != app.main) Fail(run, __LINE__, "the Viewer is not owned by the Main window");
  else if (IsWindowEnabled(app.main)) Fail(run, __LINE__, "the Main window stays enabled under the Viewer");
  else if (!Sync(viewer)) Fail(run, __LINE__, "the Viewer does not answer");
  else return viewer;
  return nullptr;
}

bool CloseViewer(Run& run, App& app, HWND viewer) {
  PostMessageA(viewer, WM_SYSCOMMAND, SC_CLOSE, 0);
  E2E_CHECK(WaitForWindowGone(app, kViewerTitle));
  E2E_CHECK(PollUntil([&] { return IsWindowEnabled(app.main) != 0; }, kWindowWait));
  E2E_CHECK(Sync(app.main));
  E2E_CHECK(PollUntil([&] { HWND focus = FocusedWindow(app); return focus && GetAncestor(focus, GA_ROOT) == app.main; },
                      kWindowWait));
  return true;
}

bool CloseStowr(Run& run, App& app) {
  PostMessageA(app.main, WM_SYSCOMMAND, SC_CLOSE, 0);
  DWORD code = 0;
  if (!WaitForExit(app, kExitWait, code)) return Fail(run, __LINE__, "stowr.exe still runs after SC_CLOSE");
  if (code != 0) return Fail(run, __LINE__, "exit code " + std::to_string(code));
  return true;
}

// The count label is set last by a refresh, which may still run off the window's thread after an
// action: once it reads right, the rest of the refresh is done.
bool ExpectListState(Run& run, App& app, int chunks, bool pathChosen) {
  std::string count = std::to_string(chunks) + (chunks > 1 ? " chunks" : " chunk") + " of data detected:";
  PollUntil([&] { return ControlText(app.main, kCountLabel) == count; }, kWindowWait);
  E2E_CHECK(Sync(app.main));
  E2E_EQ(ControlText(app.main, kCountLabel), count);
  E2E_CHECK(ListRowCount(GetDlgItem(app.main, kChunkList)) == chunks);
  E2E_CHECK(ControlEnabled(app.main, kChooseButton));
  E2E_CHECK(ControlEnabled(app.main, kAddButton) == pathChosen);
  for (int id = kRemoveOneButton; id <= kExtractAllButton; ++id) {
    if (ControlEnabled(app.main, id) != (chunks > 0))
      return Fail(run, __LINE__, "button " + std::to_string(id) + (chunks > 0 ? " disabled" : " enabled"));
  }
  return true;
}

}  // namespace e2e
