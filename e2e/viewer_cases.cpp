// End-to-end cases of the Viewer opened by "Preview": its window and placement, the text and hex
// views, and pictures drawn from the temporary image file, checked on the screen's pixels.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "e2e/cases.h"
#include "e2e/fixture_files.h"
#include "e2e/png.h"
#include "e2e/stowr_ui.h"

namespace e2e {
namespace {

constexpr std::uint32_t kGrey = 0xD3D3D3;  // 211, 211, 211

// The hex view's text, built here independently: pairs and spaces for at most 2048 bytes, then
// the truncation line.
std::string HexText(const std::string& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size() && i < 2048; ++i) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%02X ", static_cast<unsigned char>(bytes[i]));
    text += pair;
  }
  if (bytes.size() > 2048) text += "\r\n[...] (Truncated)";
  return text;
}

std::string TempImage(const Run& run) { return run.program.substr(0, run.program.find_last_of('\\') + 1) + "temp.img"; }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string WritePacked(Run& run, const std::vector<TestChunk>& chunks) {
  const std::string path = run.folder + "packed.exe";
  WriteBytes(path, FileBytes(ExeBody(1024), chunks));
  return path;
}

// The pane's class, exact style bits and rectangle in the Viewer's client area.
bool ExpectPane(Run& run, HWND viewer, const char* className, LONG style, LONG exStyle) {
  HWND pane = GetDlgItem(viewer, kViewerPaneId);
  E2E_CHECK(pane != nullptr);
  E2E_EQ(ClassOf(pane), className);
  E2E_CHECK(GetWindow(pane, GW_HWNDNEXT) == nullptr && GetWindow(viewer, GW_CHILD) == pane);
  const LONG actualStyle = GetWindowLongA(pane, GWL_STYLE), actualEx = GetWindowLongA(pane, GWL_EXSTYLE);
  if (actualStyle != style || actualEx != exStyle)
    return Fail(run, __LINE__, "pane style " + std::to_string(actualStyle) + " ex " + std::to_string(actualEx) +
                                   ", want " + std::to_string(style) + " ex " + std::to_string(exStyle));
  RECT rect{};
  GetWindowRect(pane, &rect);
  MapWindowPoints(nullptr, viewer, reinterpret_cast<POINT*>(&rect), 2);
  E2E_CHECK(rect.left == 2 && rect.top == 2 && rect.right - rect.left == 636 && rect.bottom - rect.top == 316);
  return true;
}

// The text box's styles as the edit control keeps them: it trades WS_BORDER for its client edge.
bool ExpectTextBox(Run& run, HWND viewer) {
  constexpr LONG kStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_WANTRETURN;
  HWND pane = GetDlgItem(viewer, kViewerPaneId);
  E2E_CHECK(pane != nullptr);
  E2E_TRY(ExpectPane(run, viewer, "Edit", kStyle | (GetWindowLongA(pane, GWL_STYLE) & WS_BORDER), WS_EX_CLIENTEDGE));
  // Once the posted EM_SETSEL(-1, 0) has been handled, nothing is selected.
  E2E_CHECK(DrainEdit(pane));
  const LRESULT selection = SendMessageA(pane, EM_GETSEL, 0, 0);
  E2E_CHECK(LOWORD(selection) == HIWORD(selection));
  return true;
}

// Text chunks: the first opening checks the window itself, then each chunk must come back byte
// for byte (line ends of every kind, bytes above 127, a text longer than any fixed buffer, and
// the empty chunk), and closing gives back an unchanged Main window.
bool TextView(Run& run) {
  std::string text;
  while (text.size() < 3000) text += "Text line\twith \xE9\xFC\xA9 and ends:\r\nbare LF\nbare CR\r";
  const std::vector<TestChunk> chunks = {{"TXT", text}, {"EMP", ""}, {"ONE", "x"}};
  App app;
  E2E_TRY(OpenStowr(run, app, WritePacked(run, chunks)));
  HWND list = GetDlgItem(app.main, kChunkList);
  const auto rowsBefore = ListCells(app, list, kListColumns);

  for (int row = 0; row < static_cast<int>(chunks.size()); ++row) {
    HWND viewer = OpenViewer(run, app, row);
    E2E_CHECK(viewer != nullptr);
    if (row == 0) {
      POINT origin{0, 0};
      ClientToScreen(app.main, &origin);
      RECT outer{}, client{};
      GetWindowRect(viewer, &outer);
      GetClientRect(viewer, &client);
      if (outer.left != origin.x - 120 || outer.top != origin.y - 70)
        return Fail(run, __LINE__, "Viewer at " + std::to_string(outer.left) + "," + std::to_string(outer.top) +
                                       ", Main client origin " + std::to_string(origin.x) + "," + std::to_string(origin.y));
      E2E_CHECK(client.right == 640 && client.bottom == 320);
      const LONG style = GetWindowLongA(viewer, GWL_STYLE);
      E2E_CHECK((style & (WS_CAPTION | WS_SYSMENU)) == (WS_CAPTION | WS_SYSMENU));
      E2E_CHECK((style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0);
    }
    E2E_TRY(ExpectTextBox(run, viewer));
    // Bytes above 127 read as the system's legacy code page shows them, as before UTF-8.
    const std::string shown = ControlText(viewer, kViewerPaneId), want = LegacyText(chunks[static_cast<std::size_t>(row)].data);
    if (shown != want)
      return Fail(run, __LINE__, chunks[static_cast<std::size_t>(row)].kind + " shows " + std::to_string(shown.size()) +
                                     " bytes, want " + std::to_string(want.size()));
    E2E_TRY(CloseViewer(run, app, viewer));
    E2E_CHECK(SelectedRows(list) == std::vector<int>{row});
  }
  E2E_CHECK(ListCells(app, list, kListColumns) == rowsBefore);
  E2E_TRY(ExpectListState(run, app, static_cast<int>(chunks.size()), true));
  return CloseStowr(run, app);
}

// Binary chunks that are no picture: the hex dump of at most 2048 bytes, and no temporary image
// file left behind.
bool HexView(Run& run) {
  std::string pattern;
  for (int i = 0; i < 3000; ++i) pattern += static_cast<char>(i % 256);
  std::string lateZero(2100, '\x7f');
  lateZero.back() = '\0';
  const std::vector<TestChunk> chunks = {
      {"SML", std::string("\x0a\xff\x00", 3)},  // three pairs, no truncation
      {"NUL", std::string(1, '\0')},
      {"BIG", pattern},                           // truncated after 2048 pairs
      {"FIT", pattern.substr(0, 2048)},           // exactly the limit: not truncated
      {"OVR", pattern.substr(0, 2049)},
      {"LAT", lateZero},                          // binary for a zero beyond the shown bytes
  };
  const std::string image = TempImage(run);
  App app;
  E2E_TRY(OpenStowr(run, app, WritePacked(run, chunks)));
  for (int row = 0; row < static_cast<int>(chunks.size()); ++row) {
    HWND viewer = OpenViewer(run, app, row);
    E2E_CHECK(viewer != nullptr);
    E2E_TRY(ExpectTextBox(run, viewer));
    const std::string expected = HexText(chunks[static_cast<std::size_t>(row)].data);
    const std::string shown = ControlText(viewer, kViewerPaneId);
    if (shown != expected)
      return Fail(run, __LINE__, chunks[static_cast<std::size_t>(row)].kind + ": " + std::to_string(shown.size()) +
                                     " characters, want " + std::to_string(expected.size()) + ": \"" +
                                     shown.substr(0, 60) + "\"");
    E2E_CHECK(!Exists(image));
    E2E_TRY(CloseViewer(run, app, viewer));
  }
  E2E_EQ(ControlText(app.main, kCountLabel), "6 chunks of data detected:");
  E2E_CHECK(!Exists(image));
  return CloseStowr(run, app);
}

// Polls until the graphic area's top-left pixel shows expected (the Viewer may still be
// painting), then returns the area's pixels.
bool CaptureArea(Run& run, HWND viewer, std::uint32_t topLeft, std::vector<std::uint32_t>& pixels, int& width,
                 int& height) {
  HWND area = GetDlgItem(viewer, kViewerPaneId);
  E2E_CHECK(area != nullptr);
  const bool painted = PollUntil(
      [&] {
        pixels = CaptureClient(area, width, height);
        return !pixels.empty() && pixels[0] == topLeft;
      },
      kWindowWait);
  if (!painted) {
    char got[16] = "none";
    if (!pixels.empty()) std::snprintf(got, sizeof got, "%06X", static_cast<unsigned>(pixels[0]));
    return Fail(run, __LINE__, std::string("the area's top-left pixel is ") + got);
  }
  return true;
}

// Opens the picture chunk in row 0, checks the graphic area and the temporary file while it
// shows, and hands the area's pixels to check; afterwards the file is gone and the Main window
// is back.
bool PreviewPicture(Run& run, const std::string& kind, const std::string& png, std::uint32_t rgb,
                    bool (*check)(Run&, const std::vector<std::uint32_t>&, int, int)) {
  const std::string image = TempImage(run);
  App app;
  E2E_TRY(OpenStowr(run, app, WritePacked(run, {{kind, png}})));
  HWND viewer = OpenViewer(run, app, 0);
  E2E_CHECK(viewer != nullptr);
  // SS_SUNKEN is drawn through a static edge that the control adds to its extended style.
  const LONG edge = GetWindowLongA(GetDlgItem(viewer, kViewerPaneId), GWL_EXSTYLE) & WS_EX_STATICEDGE;
  E2E_TRY(ExpectPane(run, viewer, "Static", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_SUNKEN, edge));
  E2E_FILE_HOLDS(image, png);
  std::vector<std::uint32_t> pixels;
  int width = 0, height = 0;
  E2E_TRY(CaptureArea(run, viewer, rgb, pixels, width, height));
  E2E_TRY(check(run, pixels, width, height));
  E2E_TRY(CloseViewer(run, app, viewer));
  E2E_CHECK(PollUntil([&] { return !Exists(image); }, kWindowWait));
  E2E_TRY(ExpectListState(run, app, 1, true));
  return CloseStowr(run, app);
}

constexpr std::uint32_t kRed = 0xFF0000, kBlue = 0x1E90FF;

// A 10 x 10 picture sits at the area's top-left, unscaled, with grey to its right and below.
bool SmallPictureAtCorner(Run& run, const std::vector<std::uint32_t>& pixels, int width, int height) {
  E2E_CHECK(width > 20 && height > 20);
  auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + x]; };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::uint32_t want = x < 10 && y < 10 ? kRed : kGrey;
      if (at(x, y) != want) {
        char what[96];
        std::snprintf(what, sizeof what, "pixel %d,%d of the %dx%d area is %06X, want %06X", x, y, width, height,
                      static_cast<unsigned>(at(x, y)), static_cast<unsigned>(want));
        return Fail(run, __LINE__, what);
      }
    }
  }
  return true;
}

// A picture larger than the area covers it to its last pixel: no grey anywhere.
bool LargePictureCovers(Run& run, const std::vector<std::uint32_t>& pixels, int width, int height) {
  E2E_CHECK(width > 600 && height > 300);
  for (std::size_t i = 0; i < pixels.size(); ++i)
    if (pixels[i] != kBlue)
      return Fail(run, __LINE__, "pixel " + std::to_string(i % static_cast<std::size_t>(width)) + "," +
                                     std::to_string(i / static_cast<std::size_t>(width)) + " is not the picture's");
  return true;
}

// The descriptor says text; only the decoder decides that this is a picture.
bool SmallPicture(Run& run) { return PreviewPicture(run, "TXT", SolidPng(10, 10, kRed), kRed, SmallPictureAtCorner); }

bool LargePicture(Run& run) { return PreviewPicture(run, "PNG", SolidPng(800, 500, kBlue), kBlue, LargePictureCovers); }

}  // namespace

std::vector<Case> ViewerCases() {
  return {
      {"viewer_text_view", TextView},
      {"viewer_hex_view", HexView},
      {"viewer_small_picture", SmallPicture},
      {"viewer_large_picture", LargePicture},
  };
}

}  // namespace e2e
