#pragma once
// Scanning a file into the ChunkTable and reading chunk data.
#include <string>

#include "platform/status.h"
#include "store/tailpack.h"

// Opens path as a ByteSource (size and reads at offsets; no whole-file read).
Status OpenFileSource(const std::string& path, ByteSource& source);

// Appends one record per chunk of the file at path to table, oldest first. A missing file
// leaves the table unchanged and logs nothing. The returned status tells an unreadable file.
Status ScanTailpack(const std::string& path, ChunkTable& table);

// The record's data bytes, or empty when the file is missing or too short.
std::string ReadChunk(const std::string& path, const ChunkRecord& record);
// The same, telling why nothing could be read.
Status TryReadChunk(const std::string& path, const ChunkRecord& record, std::string& bytes);

// IsBinaryChunk(ReadChunk(path, record)), without holding the chunk in memory: false when the
// chunk cannot be read.
bool ChunkIsBinary(const std::string& path, const ChunkRecord& record);
