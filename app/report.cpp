#include "app/report.h"

#include "store/wholefile.h"

// Lines are joined by a lone carriage return, as in the program's other messages.
void ReportFileFailure(ui::Window window, const std::string& what, const std::string& path, const Status& status) {
  ui::ShowError(window, what + "\r" + path + "\r" + status.message);
}

// A write whose rename the disk did not confirm has changed the file, as the list behind the box
// shows: it is a warning, never a failure that the user might answer by doing it again. So is a
// write that left other names (hard links) of the file with the old content.
void ReportOutcome(ui::Window window, const std::string& what, const std::string& path, const Status& status) {
  if (status.code == Status::Code::Cancelled) return;  // the user's own choice: the list shows the file unchanged
  if (!status.ok()) {
    ReportFileFailure(window, what, path, status);
  } else if (!status.warning.empty()) {
    const bool unconfirmed = status.warning.find(kUnconfirmedWrite) != std::string::npos;
    const std::string heading = unconfirmed ? "The change may not have reached the disk:" : "The change was made:";
    ui::ShowMessage(window, heading + "\r" + path + "\r" + status.warning,
                    "stowr - warning", ui::kMbOk | ui::kMbIconWarning);
  }
}
