#pragma once
// Scanning a file into the ChunkTable and reading chunk data.
#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/status.h"
#include "store/tailpack.h"

// Appends one record per chunk of the file at path to table, oldest first. A missing file
// leaves the table unchanged and logs nothing. The returned status tells an unreadable file.
// The stamp of the file read goes to *stamp when given: a later read of the table's chunks
// checks it (store/chunk_file.h).
Status ScanTailpack(const std::string& path, ChunkTable& table, platform::FileStamp* stamp = nullptr);

// ScanTailpack, and the Text/Binary type of every record appended (binary[k] is
// IsBinaryChunk of the data of the k-th record appended; false when unreadable), all through one
// open of the file: the walk reads the trailers in blocks from the end, small chunks are tested in
// those blocks, and a large chunk costs only the reading of its own bytes up to its first zero.
// The file's signature goes to *signature and its stamp to *stamp when given.
Status ScanTailpackTypes(const std::string& path, ChunkTable& table, std::vector<bool>& binary,
                         SignatureInfo* signature = nullptr, platform::FileStamp* stamp = nullptr);

// The records and types of ScanTailpackTypes handed to row one by one, oldest first, without
// holding the table: for listings of any number of chunks in little memory. Logs as ScanTailpack.
using ChunkRowVisit = std::function<void(const ChunkRecord& record, bool binary)>;
Status ScanTailpackRows(const std::string& path, const ChunkRowVisit& row);

// Success when the record's data lies inside a file of `size` bytes; otherwise the error that
// says the chunk lies beyond the end of the file.
Status CheckChunkWithin(const ChunkRecord& record, std::uint64_t size);

// IsBinaryChunk of the record's data (checked against its trailer first), read in blocks without
// holding the chunk in memory: false when the chunk cannot be read.
bool ChunkIsBinary(const std::string& path, const ChunkRecord& record);
