// Cutting one chunk out of a file: its data and trailer go, the gap closes, nothing else moves.
#include "store/edit.h"
#include "store/plan.h"
#include "store/planned_cut.h"

// Scans the file again and cuts only when it still holds exactly the chunks of table: another
// program may have changed it since the table was built, and cutting by stale offsets would
// corrupt it. An index outside the table plans nothing, so it is refused and leaves the content
// as it is.
EditResult CutChunk(const std::string& path, const ChunkTable& table, std::size_t index) {
  return CarryOutCut(path, [&](const tp_source& source, EditPlan& plan) {
    return PlanCut(source, table, index, plan);
  });
}

EditResult CutChunk(const std::string& path, std::size_t count, std::size_t index, const ChunkRecord& record) {
  return CarryOutCut(path, [&](const tp_source& source, EditPlan& plan) {
    return PlanCutOne(source, count, index, record, plan);
  });
}

// A table that does not match the bytes cuts nothing.
std::string CutChunkBytes(std::string_view bytes, const ChunkTable& table, std::size_t index) {
  EditPlan plan;
  if (!PlanCut(tp_memory_source(bytes.data(), bytes.size()), table, index, plan).ok()) return std::string(bytes);
  return SplicedBytes(bytes, plan.splices);
}
