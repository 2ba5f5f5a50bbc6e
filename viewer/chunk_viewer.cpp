#include "viewer/chunk_viewer.h"

#include <string>

#include "store/grouped.h"
#include "store/chunk_file.h"
#include "store/scan.h"
#include "viewer/hex_preview.h"
#include "viewer/image_preview.h"
#include "viewer/text_encoding.h"
#include "viewer/viewer_window.h"

namespace {

constexpr ui::Color kTextColor{0, 0, 0};
constexpr ui::Color kTextBackground{255, 255, 255};

// The text view holds its chunk whole, in our memory and the text box's; the picture decoder
// reads the whole file. Beyond these sizes a chunk is not shown that way.
constexpr std::uint64_t kTextLimit = std::uint64_t{16} << 20;
constexpr std::uint64_t kPictureLimit = std::uint64_t{64} << 20;

// The text and hex views: a read-only box in a fixed-pitch font, black on white, holding the
// chunk's bytes (or their hex dump) as single-byte text, or as UTF-8 when they read as such. It
// opens at the first character, with the caret there.
void ShowTextPreview(ui::Window viewer, const std::string& text, bool utf8) {
  ui::AddControl(viewer, TextBoxLayout());
  ui::SetControlColors(viewer, kViewerPaneId, kTextColor, kTextBackground);
  ui::PostClearSelection(viewer, kViewerPaneId);
  ui::PostCaretToStart(viewer, kViewerPaneId);
  ui::Font font = ui::CreateFontFace(viewer, "Courier New", 10);
  ui::SetControlFont(viewer, kViewerPaneId, font);
  if (utf8) ui::SetText(viewer, kViewerPaneId, text);
  else ui::SetByteText(viewer, kViewerPaneId, text);
  RunViewer(viewer);
  ui::ReleaseFont(font);
}

void RefuseLargeText(ui::Window owner, const ChunkRecord& record) {
  ui::ShowError(owner, "This chunk is too large to be shown as text:\r" + Grouped(record.Length) +
                           " bytes, at most " + Grouped(kTextLimit) +
                           " bytes can be shown.\rExtract it to open it with another program.");
}

// The view's text: the chunk's bytes for a Text chunk, the hex dump of its first bytes (all that
// is read) for a Binary one. A chunk that cannot be read gives an empty text.
std::string ViewText(const ChunkFile& exe, const ChunkRecord& record, bool binary) {
  std::string bytes;
  bool read = exe.ReadHead(record, binary ? kHexPreviewLimit : record.Length, bytes).ok();
  return binary ? FormatHexPreview(bytes, read ? record.Length : 0) : bytes;
}

}  // namespace

// The chunk is read from disk again on every opening, and only as much of it as the view shows.
// A chunk without a zero byte is text, shown byte for byte even when it happens to be a picture
// file. A Binary chunk is offered to the picture decoder first (up to its size limit) and falls
// back to the hex dump of its first bytes.
// Before anything is read the executable must still be the file the table was read from, and
// the chunk's trailer where the table says; otherwise an error box says so and nothing is shown.
bool PreviewChunk(ui::Window owner, const std::string& exePath, ChunkRecord record,
                  const platform::FileStamp& scanned) {
  ChunkFile exe;
  Status status = exe.Open(exePath, &scanned);
  if (status.ok()) status = exe.Check(record);
  if (IsChangedOnDisk(status)) {
    ui::ShowError(owner, "Could not read the chunk:\r" + status.message + "\rThe list of chunks is read again.");
    return true;
  }
  const bool binary = exe.IsBinary(record);
  if (!binary && record.Length > kTextLimit) {
    RefuseLargeText(owner, record);
    return false;
  }

  ui::Window viewer = ui::CreateWindowFromLayout(ViewerWindowLayout(owner));
  if (binary && record.Length <= kPictureLimit && ShowImagePreview(viewer, exe, record)) return false;
  const std::string text = ViewText(exe, record, binary);
  ShowTextPreview(viewer, text, !binary && ReadsAsUtf8(text));
  return false;
}
