#pragma once
// One chunk's data, read or copied without holding more of it in memory than is asked for.
#include <cstddef>
#include <string>

#include "platform/files.h"
#include "platform/progress.h"
#include "platform/status.h"
#include "store/edit.h"

// The content of a file holding exactly the record's data: one piece copied from the executable
// when it is written, refused then if the executable changed meanwhile. Fails when the
// executable is missing or unreadable or the data does not lie inside it.
EditResult ChunkContent(const std::string& exePath, const ChunkRecord& record);

// Writes the record's data to outPath (atomically, streaming; see WriteWholeFile).
Status ExtractChunk(const std::string& exePath, const ChunkRecord& record, const std::string& outPath,
                    const Progress& progress = {});
// Writes the record's data to an open file, such as standard output.
Status CopyChunk(const std::string& exePath, const ChunkRecord& record, platform::FileHandle to,
                 const Progress& progress = {});
