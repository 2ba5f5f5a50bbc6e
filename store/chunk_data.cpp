// Chunk data written out: to a file of its own, or to an open file such as standard output, streamed
// from the checked executable (store/chunk_file.h).
#include "store/chunk_data.h"


Status ExtractChunk(const ChunkFile& file, const ChunkRecord& record, const std::string& outPath,
                    const Progress& progress, Owner owner, TempSweep* sweep) {
  Status status = file.Check(record);
  if (!status.ok()) return status;
  return WriteOutputFile(
      outPath, file.Stamp(), [&](platform::FileHandle to) { return file.CopyTo(record, to, progress); },
      [&] { return file.Unchanged(); }, owner, sweep);
}

Status ExtractChunk(const std::string& exePath, const ChunkRecord& record, const std::string& outPath,
                    const Progress& progress) {
  ChunkFile file;
  Status status = file.Open(exePath);
  return status.ok() ? ExtractChunk(file, record, outPath, progress) : status;
}

Status CopyChunk(const std::string& exePath, const ChunkRecord& record, platform::FileHandle to,
                 const Progress& progress) {
  ChunkFile file;
  Status status = file.Open(exePath);
  return status.ok() ? file.CopyTo(record, to, progress) : status;
}
