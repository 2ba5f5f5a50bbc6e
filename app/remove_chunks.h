#pragma once
// Removing chunks from the executable.
#include "platform/ui.h"

// "Remove One" and "Remove All": confirm, rewrite ExePath() without the chunk(s), refresh.
void RemoveOneChunk(ui::Window window);
void RemoveAllChunks(ui::Window window);
