#include "store/planned_cut.h"

#include "store/content.h"
#include "store/splice.h"

EditResult CarryOutCut(const std::string& path, const PlanFor& planFor) {
  EditResult result;
  SourceFile file;
  FileSource opened;
  result.status = OpenStampedSource(path, file, opened);
  if (!result.status.ok()) return result;
  const tp_source& source = opened.Source();
  EditPlan plan;
  result.status = planFor(source, plan);
  if (result.status.ok()) result.status = ExpectLastTrailer(source, file);
  if (result.status.ok()) result.status = ExpectPlanned(source, plan, file);
  if (!result.status.ok()) return result;
  result.content.sources.push_back(std::move(file));
  result.content.pieces = SplicePieces(source.size, plan.splices);
  result.changed = !plan.splices.empty();
  result.breaksSignature = plan.breaksSignature;
  return result;
}
