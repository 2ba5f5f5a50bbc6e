#include "app/about.h"

#include <string>

#include "version.h"  // generated: the project's version and the licence of LICENSE

void AddAboutItem(ui::Window window) { ui::AddWindowMenuItem(window, kAboutCommand, "About stowr..."); }

// The window's title keeps the text it has always had; the release's version is told here.
void ShowAbout(ui::Window window) {
  const std::string text = std::string("stowr - Tailpack Manager\rVersion ") + STOWR_VERSION_TEXT +
                           "\r\r" STOWR_LICENSE_TEXT "\r" STOWR_COPYRIGHT_TEXT;
  ui::ShowMessage(window, text, "stowr - about", ui::kMbOk | ui::kMbIconInformation);
}
