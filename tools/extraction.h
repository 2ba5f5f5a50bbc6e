#pragma once
// Extraction: writing chunks of the current executable to files of their own.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/ui.h"

// Asks for a file name in the Save As dialog, preset with the chunk's default name, and writes
// the data of chunk index (1-based in Chunks()) there. Confirms what was written, or reports
// why nothing was.
void ExtractOneChunk(ui::Window owner, std::size_t index);
// Writes every chunk, last first, to its default name beside the executable, then lists what
// was written and, in an error box, what could not be.
void ExtractAllChunks(ui::Window owner);

// The Save As dialog of ExtractOneChunk, preset with defaultName.
ui::FileDialogOptions SaveAsOptions(const std::string& defaultName);
// The caption of the confirmations: the file name of modulePath without folder and extension.
std::string ProgramName(std::string_view modulePath);
