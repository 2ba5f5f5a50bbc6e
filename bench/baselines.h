#pragma once
// What the disk and the page cache allow at best, measured with plain POSIX calls: the yardsticks
// the store's operations are held against.
#include <string>

#include "platform/status.h"
#include "store/tailpack.h"

// Reads the data bytes of every record once, into one reused buffer.
Status ReadChunksOnce(const std::string& path, const ChunkTable& table);
// Copies path to copyPath as cp does (in the kernel where it can) and flushes the copy to the
// disk, as sync would.
Status FlushedCopy(const std::string& path, const std::string& copyPath);
// Writes the data of every record to a file of its own in folder, each flushed.
Status CopyChunksFlushed(const std::string& path, const ChunkTable& table, const std::string& folder);
