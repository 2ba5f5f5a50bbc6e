#pragma once
// The Add dialog: asks for the type descriptor of a new chunk.
#include <cstdint>
#include <string>

#include "platform/ui.h"
#include "platform/window_ids.h"  // kAddDialogTitle and the control ids (AddDialogControl)
#include "store/tailpack.h"

// The dialog as created, owned by owner and centred in the work area.
ui::WindowLayout AddDialogLayout(ui::Window owner);

// Runs the dialog modally and returns the accepted descriptor: three characters among A-Z and
// 0-9 that no chunk of chunks has as its Kind. Empty when the user cancelled or closed it.
std::string AskDescriptor(ui::Window owner, const ChunkTable& chunks);
