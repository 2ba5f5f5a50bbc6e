// End-to-end cases of what a Windows desktop brings: paths in any script, files dropped on the
// Main window, and a display at 150 % (144 DPI).
#include <windows.h>
// (needs <windows.h> above it)
#include <commctrl.h>

#include <vector>

#include "e2e/cases.h"
#include "e2e/fixture_files.h"
#include "e2e/png.h"
#include "e2e/stowr_ui.h"

namespace e2e {
namespace {

constexpr std::uint32_t kRed = 0xFF0000;

// Each user flow through a Japanese folder and accented names: the program itself runs from a
// Japanese folder (its temporary picture and GDI+ go there), the executable comes from the
// command line, and adding, previewing, extracting and removing all work on it.
bool AnyPath(Run& run) {
  const std::string tools = run.folder + "ツール\\", data = run.folder + "データ é\\";
  E2E_CHECK(CreateDirectoryA(tools.c_str(), nullptr) && CreateDirectoryA(data.c_str(), nullptr));
  const std::string program = tools + "stowr.exe";
  E2E_CHECK(CopyFileA(run.program.c_str(), program.c_str(), FALSE));
  const TestChunk text{"TXT", "caf\xE9 cr\xE8me"}, picture{"PNG", SolidPng(10, 10, kRed)};
  const std::string exe = data + "プログラム.exe", resource = data + "résumé.png";
  E2E_CHECK(WriteBytes(exe, FileBytes(ExeBody(1024), {text})) && WriteBytes(resource, picture.data));

  App app;
  Run fromCopy{program, run.folder, ""};
  const bool opened = OpenStowr(fromCopy, app, "\"" + exe + "\"");
  if (!opened) return Fail(run, __LINE__, fromCopy.failure);
  E2E_EQ(ControlText(app.main, kPathLabel), exe);
  HWND dialog = OpenAddDialog(run, app, resource);
  E2E_CHECK(dialog != nullptr && TypeDescriptor(dialog, "png"));
  E2E_CHECK(WaitForWindowGone(app, kAddDialogTitle) && Sync(app.main));
  E2E_TRY(ExpectListState(run, app, 2, true));
  E2E_FILE_HOLDS(exe, FileBytes(ExeBody(1024), {text, picture}));

  HWND viewer = OpenViewer(run, app, 0);
  E2E_CHECK(viewer != nullptr);
  E2E_EQ(ControlText(viewer, kViewerPaneId), LegacyText(text.data));
  E2E_TRY(CloseViewer(run, app, viewer));
  viewer = OpenViewer(run, app, 1);
  E2E_CHECK(viewer != nullptr);
  E2E_EQ(ClassOf(GetDlgItem(viewer, kViewerPaneId)), "Static");  // decoded: the picture view
  E2E_FILE_HOLDS(tools + "temp.img", picture.data);
  E2E_TRY(CloseViewer(run, app, viewer));

  Click(app.main, kExtractOneButton);
  HWND saveAs = WaitForWindow(app, "Save As", "#32770");
  E2E_CHECK(saveAs != nullptr && AnswerOpenDialog(saveAs, data + "extraído.png"));
  E2E_TRY(AnswerBox(run, app, "stowr", "Tailpack successfully saved as:\r" + data + "extraído.png", IDOK));
  E2E_FILE_HOLDS(data + "extraído.png", picture.data);
  Click(app.main, kExtractAllButton);
  E2E_TRY(AnswerBox(run, app, "stowr", "", IDOK));
  E2E_FILE_HOLDS(data + "プログラム.tpak.txt", text.data);
  E2E_FILE_HOLDS(data + "プログラム.tpak.png", picture.data);

  E2E_TRY(ConfirmAction(run, app, kRemoveOneButton, "stowr - remove one", IDYES));  // row 2, as previewed
  E2E_TRY(ExpectListState(run, app, 1, true));
  E2E_FILE_HOLDS(exe, FileBytes(ExeBody(1024), {text}));
  return CloseStowr(run, app);
}

// A dropped executable is opened as if chosen with "..."; among other files it is refused. Other
// files dropped together go in turn to an Add dialog each.
bool DroppedFiles(Run& run) {
  const std::string exe = run.folder + "dropped.exe", note = run.folder + "note.txt", picture = run.folder + "red.png";
  const TestChunk first{"TXT", "first"}, red{"PNG", SolidPng(2, 2, kRed)};
  E2E_CHECK(WriteBytes(exe, FileBytes(ExeBody(1024), {first})));
  E2E_CHECK(WriteBytes(note, "a note") && WriteBytes(picture, red.data));
  App app;
  E2E_TRY(OpenStowr(run, app, ""));
  E2E_CHECK(DropFiles(app, app.main, {exe, note}));
  E2E_TRY(AnswerBox(run, app, "stowr - error", "Drop one executable at a time", IDOK));
  E2E_EQ(ControlText(app.main, kPathLabel), "");
  E2E_CHECK(DropFiles(app, app.main, {exe}));
  E2E_CHECK(PollUntil([&] { return ControlText(app.main, kPathLabel) == exe; }, kWindowWait));
  E2E_TRY(ExpectListState(run, app, 1, true));

  E2E_CHECK(DropFiles(app, app.main, {note, picture}));
  HWND previous = nullptr;
  for (const char* kind : {"NTE", "PNG"}) {
    HWND dialog = nullptr;
    E2E_CHECK(PollUntil([&] {
      dialog = WaitForWindow(app, kAddDialogTitle, "", 20);
      return dialog != nullptr && dialog != previous;
    }, kWindowWait));
    E2E_CHECK(TypeDescriptor(dialog, kind));
    previous = dialog;
  }
  E2E_TRY(ExpectListState(run, app, 3, true));
  E2E_FILE_HOLDS(exe, FileBytes(ExeBody(1024), {first, {"NTE", "a note"}, red}));
  return CloseStowr(run, app);
}

// Sets Wine's screen resolution for the programs started while it lives, and puts the old one
// back however the case ends.
class ScreenDpi {
 public:
  explicit ScreenDpi(DWORD dpi) {
    DWORD size = sizeof old_;
    hadOld_ = RegGetValueA(HKEY_CURRENT_USER, kKey, "LogPixels", RRF_RT_REG_DWORD, nullptr, &old_, &size) ==
              ERROR_SUCCESS;
    RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "LogPixels", REG_DWORD, &dpi, sizeof dpi);
  }
  ~ScreenDpi() {
    if (hadOld_) RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "LogPixels", REG_DWORD, &old_, sizeof old_);
    else RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, "LogPixels");
  }
  ScreenDpi(const ScreenDpi&) = delete;
  ScreenDpi& operator=(const ScreenDpi&) = delete;

 private:
  static constexpr const char* kKey = "Control Panel\\Desktop";
  DWORD old_ = 96;
  bool hadOld_ = false;
};

int At144(int pixels) { return MulDiv(pixels, 144, 96); }

// The control's rectangle in its window's client area.
RECT ClientRect(HWND window, int id) {
  RECT rect{};
  GetWindowRect(GetDlgItem(window, id), &rect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// At 144 DPI every length of the layout is half as large again; the picture preview still shows
// one picture pixel per screen pixel.
bool HighDpi(Run& run) {
  const std::string exe = run.folder + "picture.exe";
  E2E_CHECK(WriteBytes(exe, FileBytes(ExeBody(64), {{"PNG", SolidPng(10, 10, kRed)}})));
  ScreenDpi dpi(144);
  App app;
  E2E_TRY(OpenStowr(run, app, exe));
  RECT client{};
  GetClientRect(app.main, &client);
  E2E_CHECK(client.right == 600 && client.bottom == 369);
  const struct {
    int id, x, y, width, height;
  } controls[] = {{kExeLabel, 8, 9, 40, 16},         {kPathLabel, 48, 8, 312, 16},      {kChooseButton, 360, 7, 32, 18},
                  {kCountLabel, 8, 30, 272, 16},     {kChunkList, 8, 48, 384, 132},     {kAddButton, 129, 186, 80, 24},
                  {kRemoveOneButton, 220, 186, 80, 24}, {kRemoveAllButton, 312, 186, 80, 24},
                  {kPreviewButton, 129, 216, 80, 24}, {kExtractOneButton, 220, 216, 80, 24},
                  {kExtractAllButton, 312, 216, 80, 24}};
  for (const auto& c : controls) {
    const RECT r = ClientRect(app.main, c.id);
    if (r.left != At144(c.x) || r.top != At144(c.y) || r.right - r.left != At144(c.width) ||
        r.bottom - r.top != At144(c.height))
      return Fail(run, __LINE__, "control " + std::to_string(c.id) + " at " + std::to_string(r.left) + "," +
                                     std::to_string(r.top) + " size " + std::to_string(r.right - r.left) + "x" +
                                     std::to_string(r.bottom - r.top));
  }
  const int widths[] = {24, 70, 60, 90, 100};
  for (int column = 0; column < kListColumns; ++column)
    E2E_CHECK(SendMessageA(GetDlgItem(app.main, kChunkList), LVM_GETCOLUMNWIDTH, column, 0) == At144(widths[column]));

  HWND viewer = OpenViewer(run, app, 0);
  E2E_CHECK(viewer != nullptr);
  GetClientRect(viewer, &client);
  E2E_CHECK(client.right == 960 && client.bottom == 480);
  const RECT area = ClientRect(viewer, kViewerPaneId);
  E2E_CHECK(area.left == 3 && area.top == 3 && area.right == 957 && area.bottom == 477);
  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  const auto painted = [&] {
    pixels = CaptureClient(GetDlgItem(viewer, kViewerPaneId), width, height);
    return !pixels.empty() && pixels[0] == kRed;
  };
  E2E_CHECK(PollUntil(painted, kWindowWait));
  int red = 0;
  for (std::uint32_t pixel : pixels) red += pixel == kRed;
  E2E_CHECK(red == 100 && pixels[9 * static_cast<std::size_t>(width) + 9] == kRed);
  E2E_TRY(CloseViewer(run, app, viewer));
  return CloseStowr(run, app);
}

}  // namespace

std::vector<Case> DesktopCases() {
  return {
      {"any_path", AnyPath},
      {"dropped_files", DroppedFiles},
      {"high_dpi", HighDpi},
  };
}

}  // namespace e2e
