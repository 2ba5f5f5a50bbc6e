#include "viewer/chunk_viewer.h"

#include <string>

#include "app/state.h"
#include "store/scan.h"
#include "viewer/hex_preview.h"
#include "viewer/image_preview.h"
#include "viewer/viewer_window.h"

namespace {

constexpr ui::Color kTextColor{0, 0, 0};
constexpr ui::Color kTextBackground{255, 255, 255};

// The text and hex views: a read-only box in a fixed-pitch font, black on white, holding text.
void ShowTextPreview(ui::Window viewer, const std::string& text) {
  ui::AddControl(viewer, TextBoxLayout());
  ui::SetControlColors(viewer, kViewerPaneId, kTextColor, kTextBackground);
  ui::PostClearSelection(viewer, kViewerPaneId);
  ui::Font font = ui::CreateFontFace("Courier New", 10);
  ui::SetControlFont(viewer, kViewerPaneId, font);
  ui::SetText(viewer, kViewerPaneId, text);
  RunViewer(viewer);
  ui::ReleaseFont(font);
}

}  // namespace

// The chunk is read from disk again on every opening; an unreadable one shows as an empty text
// view. A chunk without a zero byte is text, shown byte for byte even when it happens to be a
// picture file. A Binary chunk is offered to the picture decoder first and falls back to the hex
// dump of its first bytes.
void PreviewChunk(ui::Window owner, int index) {
  if (index < 1 || static_cast<std::size_t>(index) > Chunks().size()) return;
  const std::string bytes = ReadChunk(ExePath(), Chunks()[static_cast<std::size_t>(index) - 1]);
  const bool binary = IsBinaryChunk(bytes);

  ui::Window viewer = ui::CreateWindowFromLayout(ViewerWindowLayout(owner));
  if (binary && ShowImagePreview(viewer, bytes)) return;
  ShowTextPreview(viewer, binary ? FormatHexPreview(bytes) : bytes);
}
