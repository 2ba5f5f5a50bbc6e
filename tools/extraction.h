#pragma once
// Extraction: writing chunks of the current executable to files of their own.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/ui.h"
#include "store/tailpack.h"

// Asks for a file name in the Save As dialog, preset with the chunk's default name, and writes
// the data of record, a chunk of exePath, there (both copied: the window may change its own
// while the copy runs). Confirms what was written, or reports why
// nothing was. True when nothing was written because the executable is no longer the file
// stamped scanned, which the record was read from (kChangedOnDisk): the caller reads the list
// again.
bool ExtractOneChunk(ui::Window owner, std::string exePath, ChunkRecord record, const platform::FileStamp& scanned);
// Writes every chunk of table, last first, to its default name beside exePath (a numbered name
// for an older chunk whose name a newer one took), then lists what was written and, in an error
// box, what could not be. True as above, and then nothing is written.
bool ExtractAllChunks(ui::Window owner, std::string exePath, ChunkTable table, const platform::FileStamp& scanned);
// The line that tells, under a kChangedOnDisk error, that the list is read again.
inline constexpr const char* kListReadAgain = "The list of chunks is read again.";

// The Save As dialog of ExtractOneChunk, preset with defaultName.
ui::FileDialogOptions SaveAsOptions(const std::string& defaultName);
// The caption of the confirmations: the file name of modulePath without folder and extension.
std::string ProgramName(std::string_view modulePath);
