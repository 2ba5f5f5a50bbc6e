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

bool CloseStowr(Run& run, App& app) {
  PostMessageA(app.main, WM_SYSCOMMAND, SC_CLOSE, 0);
  DWORD code = 0;
  if (!WaitForExit(app, kExitWait, code)) return Fail(run, __LINE__, "stowr.exe still runs after SC_CLOSE");
  if (code != 0) return Fail(run, __LINE__, "exit code " + std::to_string(code));
  return true;
}

bool ExpectListState(Run& run, App& app, int chunks, bool pathChosen) {
  std::string count = std::to_string(chunks) + (chunks > 1 ? " chunks" : " chunk") + " of data detected:";
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
