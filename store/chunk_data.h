#pragma once
// One chunk's data, read or copied without holding more of it in memory than is asked for.
#include <cstddef>
#include <string>

#include "platform/files.h"
#include "platform/progress.h"
#include "platform/status.h"
#include "store/chunk_file.h"
#include "store/wholefile.h"

// Writes the record's data, checked and streamed from file (store/chunk_file.h), to outPath as an
// output file (WriteOutputFile: never through a link, never over the executable itself, an existing
// file's owner kept unless owner allows a change). The chunks of one command share its sweep for
// stale temporary files.
Status ExtractChunk(const ChunkFile& file, const ChunkRecord& record, const std::string& outPath,
                    const Progress& progress = {}, Owner owner = Owner::Keep, TempSweep* sweep = nullptr);
// The same from the executable at exePath, opened for this one chunk.
Status ExtractChunk(const std::string& exePath, const ChunkRecord& record, const std::string& outPath,
                    const Progress& progress = {});
// Writes the record's data to an open file, such as standard output.
Status CopyChunk(const std::string& exePath, const ChunkRecord& record, platform::FileHandle to,
                 const Progress& progress = {});
