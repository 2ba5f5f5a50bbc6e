#pragma once
// Planning an edit of a file on disk (store/plan.h) against the bytes it relies on, and carrying
// out a plan that only takes bytes out: removing one chunk or all of them.
#include <functional>
#include <string>

#include "store/edit.h"
#include "store/plan.h"

// Makes the plan for the file's bytes.
using PlanFor = std::function<Status(const tp_source& source, EditPlan& plan)>;

// Opens the file at path for an edit (stamped first), plans the edit with planFor and adds what it
// relies on to what the file must still hold when the content is written.
Status OpenPlanned(const std::string& path, SourceFile& file, FileSource& opened, const PlanFor& planFor,
                   EditPlan& plan);

// The file at path, opened and stamped, with the splices planFor plans; changed when there are any.
// The content relies on the bytes the plan names and on the newest trailer, where the walk starts:
// they must still be there when it is written.
EditResult CarryOutCut(const std::string& path, const PlanFor& planFor);
