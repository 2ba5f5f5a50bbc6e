#include "app/report.h"

// Lines are joined by a lone carriage return, as in the program's other messages.
void ReportFileFailure(ui::Window window, const std::string& what, const std::string& path, const Status& status) {
  ui::ShowError(window, what + "\r" + path + "\r" + status.message);
}

// A write whose rename the disk did not confirm has changed the file, as the list behind the box
// shows: it is a warning, never a failure that the user might answer by doing it again.
void ReportOutcome(ui::Window window, const std::string& what, const std::string& path, const Status& status) {
  if (status.code == Status::Code::Cancelled) return;  // the user's own choice: the list shows the file unchanged
  if (!status.ok()) {
    ReportFileFailure(window, what, path, status);
  } else if (!status.warning.empty()) {
    ui::ShowMessage(window, "The change may not have reached the disk:\r" + path + "\r" + status.warning,
                    "stowr - warning", ui::kMbOk | ui::kMbIconWarning);
  }
}
