#include "app/refresh.h"

#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/report.h"
#include "app/state.h"
#include "store/scan.h"
#include "tools/busy.h"
#include "tools/chunk_row.h"

namespace {

constexpr ui::Color kWhite{255, 255, 255};

// Row k of the list shows record k + 1 of Chunks(); a row the table does not have is blank.
std::string Cell(const std::vector<bool>& binary, int row, int column) {
  const ChunkTable& table = Chunks();
  const auto index = static_cast<std::size_t>(row);
  if (row < 0 || index >= table.size() || index >= binary.size()) return "";
  ChunkRow cells = MakeChunkRow(index + 1, table[index], binary[index]);
  switch (column) {
    case 0: return cells.number;
    case 1: return cells.kind;
    case 2: return cells.type;
    case 3: return cells.size;
    case 4: return cells.offset;
    default: return "";
  }
}

// The list asks for the cells of the rows it shows; the Type test of every chunk, done by the
// scan, is kept for it.
void FillRows(ui::Window window, std::vector<bool> types) {
  auto binary = std::make_shared<std::vector<bool>>(std::move(types));
  ui::ListSetRows(window, kChunkList, static_cast<int>(Chunks().size()),
                  [binary](int row, int column) { return Cell(*binary, row, column); });
}

void EnableChunkButtons(ui::Window window, bool enabled) {
  for (int id : {kPreviewButton, kExtractOneButton, kExtractAllButton, kRemoveOneButton, kRemoveAllButton}) {
    ui::EnableControl(window, id, enabled);
  }
}

std::string CountText(std::size_t count) {
  return std::to_string(count) + " chunk" + (count > 1 ? "s" : "") + " of data detected:";
}

// The scan reads the whole of a large chunk up to its first zero byte for its Type, so it runs
// off the window's thread; it cannot be stopped half-way, since the list must show every chunk.
Status ScanOffThread(ui::Window window, const std::string& path, ChunkTable& table, std::vector<bool>& binary,
                     SignatureInfo& signature, platform::FileStamp& stamp) {
  if (path.empty()) return Status::Success();
  Status status;
  RunBusy(window, "Reading file:", path, false,
          [&](const Progress&) { status = ScanTailpackTypes(path, table, binary, &signature, &stamp); });
  return status;
}

}  // namespace

// Empties the list and the table and rebuilds both from a fresh scan. "Add Tailpack" and the
// white path label, once given, stay: choosing an executable cannot be undone. No path is no file
// and is never opened. A file that exists but cannot be read leaves the table empty rather than
// half-filled. Row 1, selected, is also the list's focused row, where the keyboard goes on from.
Status RefreshChunkList(ui::Window window) {
  ui::ListDeleteAll(window, kChunkList);
  Chunks().clear();
  ui::SetText(window, kPathLabel, ExePath());
  if (!ExePath().empty()) {
    ui::EnableControl(window, kAddButton, true);
    ui::SetControlColors(window, kPathLabel, ui::kSystemWindowText, kWhite);
  }
  ChunkTable table;
  std::vector<bool> binary;
  SignatureInfo signature;
  platform::FileStamp stamp;
  Status status = ScanOffThread(window, ExePath(), table, binary, signature, stamp);
  if (status.code != Status::Code::Failed) Chunks() = std::move(table);
  ChunksStamp() = stamp;
  Signature() = signature;
  FillRows(window, std::move(binary));
  if (!Chunks().empty()) ui::ListSelectOnly(window, kChunkList, 0);  // the arrow keys go on from row 1
  EnableChunkButtons(window, !Chunks().empty());
  ui::SetText(window, kCountLabel, CountText(Chunks().size()));
  ui::RedrawAll(window);
  return status;
}

// A missing executable is no failure here: it simply has no chunks.
void RefreshAndReport(ui::Window window) { RefreshAfterChange(window, "", "", Status::Success()); }

// The change's own outcome comes first; a refresh that could not read the file is reported when
// nothing else was, so the user learns why the list is empty.
void RefreshAfterChange(ui::Window window, const std::string& what, const std::string& path, const Status& changed) {
  Status refreshed = RefreshChunkList(window);
  ReportOutcome(window, what, path, changed);
  if (refreshed.code == Status::Code::Failed && (changed.ok() || changed.code == Status::Code::Cancelled))
    ReportFileFailure(window, "Could not read file:", ExePath(), refreshed);
}
