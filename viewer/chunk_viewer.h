#pragma once
// The Viewer: one chunk of the current executable shown as text, picture or hex dump.
#include "platform/ui.h"

// Shows chunk index (1-based) of the ChunkTable, read from ExePath, in a modal Viewer owned by
// owner. Does nothing when index names no chunk.
void PreviewChunk(ui::Window owner, int index);
