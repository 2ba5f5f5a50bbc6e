// Chunk data as a content (one piece of the executable), so that extracting and printing a
// chunk stream through the same checked copy as every write.
#include "store/chunk_data.h"

#include "store/scan.h"
#include "store/wholefile.h"

namespace {

// A changed executable is named: the caller names the file written to, and the message would
// otherwise read as if that one had changed.
Status NameChangedSource(Status status, const std::string& exePath) {
  if (status.message == kChangedOnDisk) status.message += ": " + exePath;
  return status;
}

}  // namespace

EditResult ChunkContent(const std::string& exePath, const ChunkRecord& record) {
  EditResult result;
  SourceFile file;
  result.status = StampSource(exePath, file);
  if (!result.status.ok()) return result;
  result.status = CheckChunkWithin(record, file.stamp.size);
  if (!result.status.ok()) return result;
  result.content.sources.push_back(std::move(file));
  result.content.pieces.push_back(Piece{true, record.Offset - 1, record.Length, {}});
  result.changed = true;
  return result;
}

Status ExtractChunk(const std::string& exePath, const ChunkRecord& record, const std::string& outPath,
                    const Progress& progress) {
  EditResult chunk = ChunkContent(exePath, record);
  if (!chunk.status.ok()) return chunk.status;
  return NameChangedSource(WriteWholeFile(chunk.content, outPath, progress), exePath);
}

Status CopyChunk(const std::string& exePath, const ChunkRecord& record, platform::FileHandle to,
                 const Progress& progress) {
  EditResult chunk = ChunkContent(exePath, record);
  if (!chunk.status.ok()) return chunk.status;
  return NameChangedSource(CopyContent(chunk.content, to, progress), exePath);
}
