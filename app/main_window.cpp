#include "app/main_window.h"

#include "app/about.h"

namespace {

using namespace ui::style;

constexpr std::uint32_t kActionButton = kBsPushButton | kBsCenter | kBsVCenter | kTabStop | kDisabled;

ui::ControlLayout Control(int id, const char* className, const char* text, int x, int y, int width, int height,
                        std::uint32_t style, std::uint32_t exStyle = 0) {
  return {id, className, text, x, y, width, height, style, exStyle};
}

}  // namespace

// Creation order is tab order: "...", the list, the buttons. The list holds no text of its own
// (owner data). No control is the default button and none has the id of OK or Cancel, so Enter
// and Escape close nothing.
ui::WindowLayout MainWindowLayout(ui::Window owner) {
  ui::WindowLayout layout;
  layout.title = kMainTitle;
  layout.clientWidth = 400;
  layout.clientHeight = 246;
  layout.style = kPopup | kClipSiblings | kCaption | kSysMenu | kMinimizeBox | kDsModalFrame | kDs3dLook;
  layout.exStyle = kExControlParent;
  layout.owner = owner;
  layout.controls = {
      Control(kExeLabel, ui::kStatic, "Exe:", 8, 9, 40, 16, kSsLeft),
      Control(kPathLabel, ui::kStatic, "<none>", 48, 8, 312, 16, kSsSunken | kSsPathEllipsis, kExStaticEdge),
      Control(kChooseButton, ui::kButton, "...", 360, 7, 32, 18, kBsPushButton | kTabStop),
      Control(kCountLabel, ui::kStatic, "0 chunk of data detected:", 8, 30, 272, 16, kSsLeft),
      Control(kChunkList, ui::kListView, "", 8, 48, 384, 132,
              kLvsReport | kLvsShowSelAlways | kLvsOwnerData | kTabStop),
      Control(kAddButton, ui::kButton, "Add Tailpack", 129, 186, 80, 24, kActionButton),
      Control(kRemoveOneButton, ui::kButton, "Remove One", 220, 186, 80, 24, kActionButton),
      Control(kRemoveAllButton, ui::kButton, "Remove All", 312, 186, 80, 24, kActionButton),
      Control(kPreviewButton, ui::kButton, "Preview", 129, 216, 80, 24, kActionButton),
      Control(kExtractOneButton, ui::kButton, "Extract One", 220, 216, 80, 24, kActionButton),
      Control(kExtractAllButton, ui::kButton, "Extract All", 312, 216, 80, 24, kActionButton),
  };
  return layout;
}

// The list gets its five columns and full-row selection with grid lines before the modal run,
// whose first message fills it. Files may be dropped on the window; its window menu ends with
// "About stowr...".
std::intptr_t OpenMainWindow(ui::Window owner) {
  ui::Window window = ui::CreateWindowFromLayout(MainWindowLayout(owner));
  ui::AcceptDroppedFiles(window);
  AddAboutItem(window);
  ui::AddListColumns(window, kChunkList, {{"#", 24}, {"ID", 70}, {"Type", 60}, {"Size", 90}, {"Offset", 100}});
  ui::AddListExtendedStyle(window, kChunkList, kLvsExFullRowSelect | kLvsExGridLines);
  return ui::RunModal(window, MainWindowHandler);
}
