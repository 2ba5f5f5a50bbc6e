#pragma once
// The Viewer: one chunk of the current executable shown as text, picture or hex dump.
#include "platform/ui.h"

// Shows chunk index (1-based) of the ChunkTable, read from ExePath, in a modal Viewer owned by
// owner. Does nothing when index names no chunk.
// True when nothing was shown because the executable is no longer the file the ChunkTable was
// read from (the error box says so): the caller reads the list again.
bool PreviewChunk(ui::Window owner, int index);
