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
// to the left of the owner's client origin, moved onto the work area when that is off it.
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

// Escape (command 2) closes every view; in the text views the box would close it too, in the
// picture view only this does.
void RunViewer(ui::Window viewer) {
  ui::RunModal(viewer, [](ui::Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) -> std::intptr_t {
    if (message == ui::kCommand && (wParam & 0xFFFF) == static_cast<std::uintptr_t>(ui::kIdCancel)) ui::EndModal(window, 0);
    return 0;
  });
}
