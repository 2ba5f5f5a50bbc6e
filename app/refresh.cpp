#include <string>
#include <vector>

#include "app/main_actions.h"
#include "app/main_window.h"
#include "app/state.h"
#include "store/scan.h"
#include "tools/chunk_row.h"

namespace {

constexpr ui::Color kWhite{255, 255, 255};

// Rows are inserted at the top from the newest record up, so row k ends up showing record k.
void FillRows(ui::Window window, const std::vector<bool>& binary) {
  const ChunkTable& table = Chunks();
  for (std::size_t i = table.size(); i >= 1; --i) {
    ChunkRow row = MakeChunkRow(i, table[i - 1], binary[i - 1]);
    ui::ListInsertTop(window, kChunkList, row.number);
    ui::ListSetCell(window, kChunkList, 0, 1, row.kind);
    ui::ListSetCell(window, kChunkList, 0, 2, row.type);
    ui::ListSetCell(window, kChunkList, 0, 3, row.size);
    ui::ListSetCell(window, kChunkList, 0, 4, row.offset);
  }
}

void EnableChunkButtons(ui::Window window, bool enabled) {
  for (int id : {kPreviewButton, kExtractOneButton, kExtractAllButton, kRemoveOneButton, kRemoveAllButton}) {
    ui::EnableControl(window, id, enabled);
  }
}

std::string CountText(std::size_t count) {
  return std::to_string(count) + " chunk" + (count > 1 ? "s" : "") + " of data detected:";
}

}  // namespace

// Empties the list and the table and rebuilds both from a fresh scan. "Add Tailpack" and the
// white path label, once given, stay: choosing an executable cannot be undone. No path is no file
// and is never opened. A file that exists but cannot be read leaves the table empty rather than
// half-filled.
Status RefreshChunkList(ui::Window window) {
  ui::ListDeleteAll(window, kChunkList);
  Chunks().clear();
  ui::SetText(window, kPathLabel, ExePath());
  if (!ExePath().empty()) {
    ui::EnableControl(window, kAddButton, true);
    ui::SetControlColors(window, kPathLabel, ui::kSystemWindowText, kWhite);
  }
  std::vector<bool> binary;
  Status status = ExePath().empty() ? Status::Success() : ScanTailpackTypes(ExePath(), Chunks(), binary);
  if (status.code == Status::Failed) Chunks().clear();
  FillRows(window, binary);
  if (!Chunks().empty()) ui::ListSelect(window, kChunkList, 0);
  EnableChunkButtons(window, !Chunks().empty());
  ui::SetText(window, kCountLabel, CountText(Chunks().size()));
  ui::RedrawAll(window);
  return status;
}

// A missing executable is no failure here: it simply has no chunks.
void RefreshAndReport(ui::Window window) {
  Status status = RefreshChunkList(window);
  if (status.code == Status::Failed) ReportFileFailure(window, "Could not read file:", ExePath(), status);
}
