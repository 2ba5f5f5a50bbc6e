#include "store/planned_cut.h"

#include "store/content.h"
#include "store/splice.h"

Status OpenPlanned(const std::string& path, SourceFile& file, FileSource& opened, const PlanFor& planFor,
                   EditPlan& plan) {
  Status status = OpenStampedSource(path, file, opened);
  if (status.ok()) status = planFor(opened.Source(), plan);
  if (status.ok()) status = ExpectLastTrailer(opened.Source(), file);
  if (status.ok()) status = ExpectPlanned(opened.Source(), plan, file);
  return status;
}

EditResult CarryOutCut(const std::string& path, const PlanFor& planFor) {
  EditResult result;
  SourceFile file;
  FileSource opened;
  EditPlan plan;
  result.status = OpenPlanned(path, file, opened, planFor, plan);
  if (!result.status.ok()) return result;
  result.content.sources.push_back(std::move(file));
  result.content.pieces = SplicePieces(opened.Source().size, plan.splices);
  result.changed = !plan.splices.empty();
  result.breaksSignature = plan.breaksSignature;
  return result;
}
