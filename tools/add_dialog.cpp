#include "tools/add_dialog.h"

#include "tools/descriptor.h"

namespace {

using namespace ui::style;

constexpr const char* kInvalidText = "Invalid descriptor!\rPlease type only 3 characters among A-Z and 0-9.";
constexpr const char* kInUseText = "This descriptor is already in use!\rPlease choose another one...";

// A refused descriptor is explained, then the box is emptied and focused for another try.
void Refuse(ui::Window dialog, const char* text) {
  ui::ShowError(dialog, text);
  ui::SetText(dialog, kDescriptorBox, "");
  ui::FocusControl(dialog, kDescriptorBox);
}

// OK and Enter: the typed text is judged against the chunks of the last scan; only an accepted
// descriptor ends the dialog.
void OnOk(ui::Window dialog, const ChunkTable& chunks, std::string& result) {
  DescriptorCheck check = CheckDescriptor(ui::GetText(dialog, kDescriptorBox), chunks);
  switch (check.verdict) {
    case DescriptorVerdict::Invalid: Refuse(dialog, kInvalidText); return;
    case DescriptorVerdict::InUse: Refuse(dialog, kInUseText); return;
    case DescriptorVerdict::Accepted: break;
  }
  result = check.descriptor;
  ui::EndModal(dialog, 0);
}

}  // namespace

// Neither button is the default push button, so Enter reaches the handler as command 1 only
// when the focused control does not take it itself. The box has no length limit: the check,
// not the box, refuses a long text.
ui::WindowLayout AddDialogLayout(ui::Window owner) {
  ui::WindowLayout layout;
  layout.title = kAddDialogTitle;
  layout.clientWidth = 200;
  layout.clientHeight = 80;
  layout.style = kPopup | kClipSiblings | kCaption | kSysMenu | kDsModalFrame | kDs3dLook;
  layout.exStyle = kExControlParent;
  layout.owner = owner;
  layout.centerInWorkArea = true;
  layout.controls = {
      {kDescriptorLabel, ui::kStatic, "Alphanumeric 3-character description:", 8, 6, 184, 16, kSsLeft, 0},
      {kDescriptorBox, ui::kEdit, "", 70, 24, 60, 22, kTabStop | kEsUppercase | kEsAutoHScroll | kBorder,
       kExClientEdge},
      {ui::kIdCancel, ui::kButton, "Cancel", 8, 50, 60, 24, kBsPushButton | kTabStop, 0},
      {ui::kIdOk, ui::kButton, "OK", 132, 50, 60, 24, kBsPushButton | kTabStop, 0},
  };
  return layout;
}

// The result starts empty on every call and is set only by an accepted descriptor; Cancel,
// Escape and the close box all end the dialog without touching it.
std::string AskDescriptor(ui::Window owner, const ChunkTable& chunks) {
  std::string result;
  ui::Window dialog = ui::CreateWindowFromLayout(AddDialogLayout(owner));
  ui::RunModal(dialog, [&result, &chunks](ui::Window window, std::uint32_t message, std::uintptr_t wParam, std::intptr_t) {
    if (message != ui::kCommand) return std::intptr_t{0};
    const int id = static_cast<int>(wParam & 0xFFFF);
    if (id == ui::kIdCancel) ui::EndModal(window, 0);
    if (id == ui::kIdOk) OnOk(window, chunks, result);
    return std::intptr_t{0};
  });
  return result;
}
