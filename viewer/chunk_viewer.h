#pragma once
// The Viewer: one chunk of the current executable shown as text, picture or hex dump.
#include <string>

#include "platform/files.h"
#include "platform/ui.h"
#include "store/tailpack.h"

// Shows record, a chunk of exePath, in a modal Viewer owned by owner.
// True when nothing was shown because the executable is no longer the file stamped scanned,
// which the record was read from (the error box says so): the caller reads the list again.
bool PreviewChunk(ui::Window owner, const std::string& exePath, ChunkRecord record,
                  const platform::FileStamp& scanned);
