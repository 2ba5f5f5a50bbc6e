// Clearing the Tailpack: the file without any of its chunks (store/plan.h).
#include "store/edit.h"
#include "store/grouped.h"
#include "store/log.h"
#include "store/plan.h"
#include "store/planned_cut.h"

// Reads only the trailers (and a signed executable's headers); the content is the rest of the
// file, copied when it is written.
EditResult StripTailpack(const std::string& path) {
  return CarryOutCut(path, [&](const tp_source& source, EditPlan& plan) {
    LogLine("<Clearing Tailpack from file " + path + " (" + Grouped(source.size) + " Bytes)");
    Status status = PlanStrip(source, plan);
    if (status.ok()) LogLine("Done. Clean file is " + Grouped(SplicedSize(source.size, plan.splices)) + " Bytes>");
    return status;
  });
}

// The in-memory form logs nothing.
std::string StripTailpackBytes(std::string_view bytes) {
  EditPlan plan;
  PlanStrip(tp_memory_source(bytes.data(), bytes.size()), plan);  // bytes in memory cannot fail to read
  return SplicedBytes(bytes, plan.splices);
}
