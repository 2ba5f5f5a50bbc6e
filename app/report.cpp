#include "app/main_actions.h"

// Lines are joined by a lone carriage return, as in the program's other messages.
void ReportFileFailure(ui::Window window, const std::string& what, const std::string& path, const Status& status) {
  ui::ShowMessage(window, what + "\r" + path + "\r" + status.message, "stowr - error", ui::kMbOk | ui::kMbIconError);
}
