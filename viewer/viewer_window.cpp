#include "viewer/viewer_window.h"

namespace {

// Both views fill the client area but for a 2-pixel margin on every side.
ui::ControlLayout PaneLayout(const char* className, std::uint32_t style, std::uint32_t exStyle) {
  ui::ControlLayout pane;
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
ui::WindowLayout ViewerWindowLayout(ui::Window owner) {
  using namespace ui::style;
  ui::WindowLayout layout;
  layout.title = kViewerTitle;
  layout.clientWidth = kViewerWidth;
  layout.clientHeight = kViewerHeight;
  layout.style = kPopup | kCaption | kSysMenu | kClipSiblings | kDsModalFrame | kDs3dLook | kDsSetFont | kDsNoFailCreate;
  layout.exStyle = kExControlParent;
  layout.owner = owner;
  layout.centerInWorkArea = false;
  layout.offsetFromOwnerClient = kViewerOffset;
  return layout;
}

// No horizontal scrolling, so long lines (and the one-line hex dump) wrap at the right edge.
ui::ControlLayout TextBoxLayout() {
  using namespace ui::style;
  return PaneLayout(ui::kEdit, kBorder | kVScroll | kEsMultiline | kEsReadOnly | kEsAutoVScroll | kEsWantReturn,
                  kExClientEdge);
}

ui::ControlLayout GraphicAreaLayout() {
  using namespace ui::style;
  return PaneLayout(ui::kStatic, kSsOwnerDraw | kSsSunken, 0);
}

void RunViewer(ui::Window viewer) {
  ui::RunModal(viewer, [](ui::Window, std::uint32_t, std::uintptr_t, std::intptr_t) -> std::intptr_t { return 0; });
}
