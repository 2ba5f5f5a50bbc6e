// Clearing the Tailpack: the file without any of its chunks (store/plan.h).
#include "store/edit.h"
#include "store/grouped.h"
#include "store/log.h"
#include "store/plan.h"
#include "store/scan.h"

// Reads only the trailers (and a signed executable's headers); the content is the rest of the
// file, copied when it is written. The cut relies on the bytes the plan names and on the newest
// trailer, which must still be there then.
EditResult StripTailpack(const std::string& path) {
  EditResult result;
  SourceFile file;
  FileSource opened;
  result.status = OpenStampedSource(path, file, opened);
  if (!result.status.ok()) return result;
  const tp_source& source = opened.Source();
  LogLine("<Clearing Tailpack from file " + path + " (" + Grouped(source.size) + " Bytes)");
  EditPlan plan;
  result.status = PlanStrip(source, plan);
  if (!result.status.ok()) return result;
  LogLine("Done. Clean file is " + Grouped(SplicedSize(source.size, plan.splices)) + " Bytes>");
  result.status = ExpectLastTrailer(source, file);
  if (result.status.ok()) result.status = ExpectPlanned(source, plan, file);
  if (!result.status.ok()) return result;
  result.content.sources.push_back(std::move(file));
  result.content.pieces = SplicePieces(source.size, plan.splices);
  result.changed = !plan.splices.empty();
  result.breaksSignature = plan.breaksSignature;
  return result;
}

// The in-memory form logs nothing.
std::string StripTailpackBytes(std::string_view bytes) {
  EditPlan plan;
  PlanStrip(tp_memory_source(bytes.data(), bytes.size()), plan);  // bytes in memory cannot fail to read
  return SplicedBytes(bytes, plan.splices);
}
