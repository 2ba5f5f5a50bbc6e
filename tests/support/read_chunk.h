#pragma once
// A chunk's data read from its file the way the product reads it (ChunkFile), for tests.
#include <string>

#include "store/chunk_file.h"

// The record's data bytes, telling why nothing could be read.
inline Status TryReadChunk(const std::string& path, const ChunkRecord& record, std::string& bytes) {
  bytes.clear();
  ChunkFile file;
  Status status = file.Open(path);
  return status.ok() ? file.ReadHead(record, record.Length, bytes) : status;
}

// The record's data bytes, or empty when the file is missing or does not hold the record.
inline std::string ReadChunk(const std::string& path, const ChunkRecord& record) {
  std::string bytes;
  TryReadChunk(path, record, bytes);
  return bytes;
}
