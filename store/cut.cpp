// Cutting one chunk out of a file: its data and trailer go, the gap closes, nothing else moves.
#include "store/edit.h"
#include "store/plan.h"
#include "store/scan.h"

// Scans the file again and cuts only when it still holds exactly the chunks of table: another
// program may have changed it since the table was built, and cutting by stale offsets would
// corrupt it. An index outside the table is refused and leaves the content as it is.
// The cut relies on the bytes the plan names and on the newest trailer, where the walk starts;
// they must still be there when the content is written.
namespace {

// The cut that plan(source, edit plan) makes of the file at path; changed tells whether it cuts.
template <typename Plan>
EditResult CutWith(const std::string& path, bool changed, Plan&& planCut) {
  EditResult result;
  SourceFile file;
  FileSource opened;
  result.status = OpenStampedSource(path, file, opened);
  if (!result.status.ok()) return result;
  const tp_source& source = opened.Source();
  EditPlan plan;
  result.status = planCut(source, plan);
  if (result.status.ok()) result.status = ExpectLastTrailer(source, file);
  if (result.status.ok()) result.status = ExpectPlanned(source, plan, file);
  if (!result.status.ok()) return result;
  result.content.sources.push_back(std::move(file));
  result.content.pieces = SplicePieces(source.size, plan.splices);
  result.changed = changed;
  result.breaksSignature = plan.breaksSignature;
  return result;
}

}  // namespace

EditResult CutChunk(const std::string& path, const ChunkTable& table, std::size_t index) {
  return CutWith(path, index >= 1 && index <= table.size(),
                 [&](const tp_source& source, EditPlan& plan) { return PlanCut(source, table, index, plan); });
}

EditResult CutChunk(const std::string& path, std::size_t count, std::size_t index, const ChunkRecord& record) {
  return CutWith(path, index >= 1 && index <= count, [&](const tp_source& source, EditPlan& plan) {
    return PlanCutOne(source, count, index, record, plan);
  });
}

// A table that does not match the bytes cuts nothing.
std::string CutChunkBytes(std::string_view bytes, const ChunkTable& table, std::size_t index) {
  EditPlan plan;
  if (!PlanCut(tp_memory_source(bytes.data(), bytes.size()), table, index, plan).ok()) return std::string(bytes);
  return SplicedBytes(bytes, plan.splices);
}
