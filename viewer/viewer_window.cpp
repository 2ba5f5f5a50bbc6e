#include "viewer/viewer_window.h"

namespace {

// Both views fill the client area but for a 2-pixel margin on every side.
ui::ControlSpec PaneSpec(const char* className, std::uint32_t style, std::uint32_t exStyle) {
  ui::ControlSpec pane;
  pane.id = kViewerPaneId;
  pane.className = className;
  pane.x = 2;
  pane.y = 2;
  pane.width = kViewerWidth - 4;
  pane.height = kViewerHeight - 4;
  pane.style = ui::style::kChild | ui::style::kVisible | style;
  pane.exStyle = exStyle;
  return pane;
}

}  // namespace

// A fixed dialog frame with a close box and nothing else; its outer top-left corner sits up and
// to the left of the owner's client origin and is deliberately not clamped to the screen.
ui::WindowSpec ViewerWindowSpec(ui::Window owner) {
  using namespace ui::style;
  ui::WindowSpec spec;
  spec.title = kViewerTitle;
  spec.clientWidth = kViewerWidth;
  spec.clientHeight = kViewerHeight;
  spec.style = kPopup | kCaption | kSysMenu | kClipSiblings | kDsModalFrame | kDs3dLook | kDsSetFont | kDsNoFailCreate;
  spec.exStyle = kExControlParent;
  spec.owner = owner;
  spec.centerInWorkArea = false;
  const ui::Point origin = ui::ClientOrigin(owner);
  spec.position = {origin.x + kViewerOffset.x, origin.y + kViewerOffset.y};
  return spec;
}

// No horizontal scrolling, so long lines (and the one-line hex dump) wrap at the right edge.
ui::ControlSpec TextBoxSpec() {
  using namespace ui::style;
  return PaneSpec(ui::kEdit, kBorder | kVScroll | kEsMultiline | kEsReadOnly | kEsAutoVScroll | kEsWantReturn,
                  kExClientEdge);
}

ui::ControlSpec GraphicAreaSpec() {
  using namespace ui::style;
  return PaneSpec(ui::kStatic, kSsOwnerDraw | kSsSunken, 0);
}

void RunViewer(ui::Window viewer) {
  ui::RunModal(viewer, [](ui::Window, std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; });
}
