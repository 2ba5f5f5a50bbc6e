// Adding a chunk: the executable's bytes, then the data and its trailer.
#include <cstdint>

#include "store/edit.h"
#include "store/grouped.h"
#include "store/log.h"
#include "store/plan.h"
#include "store/source.h"
#include "store/trim_spaces.h"

namespace {

// Logs the attempt and tells whether the chunk can be stored: it needs data, a kind of at most
// three characters, and a length that the eight-digit field can hold (a longer one would corrupt
// the Tailpack).
bool AcceptChunk(std::string_view kind, std::uint64_t length) {
  LogLine("- Trying to add a chunk of data, of type '" + std::string(kind) + "' and length " + Grouped(length) +
          " Bytes");
  if (length == 0 || kind.size() > kKindSize || length > std::uint64_t{0xFFFFFFFF}) {
    LogLine("Failed. Original file unchanged>");
    return false;
  }
  return true;
}

std::string ChunkWithTrailer(std::string_view kind, std::string_view data) {
  std::string chunk(data);
  chunk += MakeTrailer(data.size(), TrimSpaces(kind));
  return chunk;
}

// The executable, copied whole from its file when the content is written; only its size and
// time are taken here. A missing or unreadable executable gives its status and no content.
EditResult StartAppend(const std::string& exe) {
  EditResult result;
  SourceFile file;
  result.status = StampSource(exe, file);
  if (!result.status.ok()) return result;
  LogLine("<Adding Tailpack to file " + exe + " (" + Grouped(file.stamp.size) + " Bytes)");
  result.content.pieces.push_back(Piece{true, 0, file.stamp.size, {}});
  result.content.sources.push_back(std::move(file));
  return result;
}

// Makes room for a chunk of chunkSize bytes: at the end of the executable, or, in a signed one
// whose certificate table holds chunks, inside that table (store/plan.h). Reads only the headers.
Status MakeRoom(const std::string& exe, std::uint64_t chunkSize, EditResult& result) {
  FileSource file;
  Status status = file.Open(exe);
  if (!status.ok()) return status;
  const tp_source& source = file.Source();
  if (source.size != result.content.sources.front().stamp.size) return Status::Failed(std::string(kChangedOnDisk));
  EditPlan plan;
  status = PlanAppend(source, chunkSize, plan);
  if (!status.ok()) return status;
  result.content.pieces = SplicePieces(source.size, plan.splices);
  result.breaksSignature = plan.breaksSignature;
  return Status::Success();
}

void FinishAppend(EditResult& result) {
  result.changed = true;
  LogLine("Done. New file is " + Grouped(ContentSize(result.content)) + " Bytes>");
}

}  // namespace

EditResult AppendChunk(const std::string& exe, std::string_view kind, std::string_view data) {
  EditResult result = StartAppend(exe);
  if (!result.status.ok() || !AcceptChunk(kind, data.size())) return result;
  result.status = MakeRoom(exe, data.size() + TP_TRAILER_SIZE, result);
  if (!result.status.ok()) return result;
  result.content.pieces.push_back(Piece{false, 0, 0, ChunkWithTrailer(kind, data)});
  FinishAppend(result);
  return result;
}

// The data is copied from its file as a piece too, so neither file is ever held in memory.
EditResult AppendChunk(const std::string& exe, std::string_view kind, const SourceFile& data) {
  EditResult result = StartAppend(exe);
  if (!result.status.ok() || !AcceptChunk(kind, data.stamp.size)) return result;
  result.status = MakeRoom(exe, data.stamp.size + TP_TRAILER_SIZE, result);
  if (!result.status.ok()) return result;
  result.content.pieces.push_back(Piece{true, 0, data.stamp.size, {}, result.content.sources.size()});
  result.content.sources.push_back(data);
  result.content.pieces.push_back(Piece{false, 0, 0, MakeTrailer(data.stamp.size, TrimSpaces(kind))});
  FinishAppend(result);
  return result;
}

std::string AppendChunkBytes(std::string_view exeBytes, std::string_view kind, std::string_view data) {
  LogLine("<Adding Tailpack to unnamed executable (" + Grouped(exeBytes.size()) + " Bytes)");
  if (!AcceptChunk(kind, data.size())) return std::string(exeBytes);
  EditPlan plan;
  // bytes in memory cannot fail to read
  PlanAppend(tp_memory_source(exeBytes.data(), exeBytes.size()), data.size() + TP_TRAILER_SIZE, plan);
  std::string result = SplicedBytes(exeBytes, plan.splices);
  result += ChunkWithTrailer(kind, data);
  LogLine("Done. New file is " + Grouped(result.size()) + " Bytes>");
  return result;
}

namespace {

// The chunk's data and trailer behind the content's pieces.
void PushChunk(const NewChunk& chunk, Content& content) {
  content.pieces.push_back(Piece{true, 0, chunk.file.stamp.size, {}, content.sources.size()});
  content.sources.push_back(chunk.file);
  content.pieces.push_back(Piece{false, 0, 0, MakeTrailer(chunk.file.stamp.size, TrimSpaces(chunk.kind))});
}

}  // namespace

EditResult AppendChunks(const std::string& exe, const std::vector<NewChunk>& chunks) {
  EditResult result = StartAppend(exe);
  if (!result.status.ok() || chunks.empty()) return result;
  std::vector<std::uint64_t> sizes, paddings;
  for (const NewChunk& chunk : chunks) {
    if (!AcceptChunk(chunk.kind, chunk.file.stamp.size)) return result;
    sizes.push_back(chunk.file.stamp.size + TP_TRAILER_SIZE);
  }
  FileSource file;
  result.status = file.Open(exe);
  if (!result.status.ok()) return result;
  const tp_source& source = file.Source();
  if (source.size != result.content.sources.front().stamp.size) {
    result.status = Status::Failed(std::string(kChangedOnDisk));
    return result;
  }
  EditPlan plan;
  result.status = PlanAppendAll(source, sizes, plan, paddings);
  if (!result.status.ok()) return result;
  result.content.pieces = SplicePieces(source.size, plan.splices);
  result.breaksSignature = plan.breaksSignature;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    if (paddings[i] > 0) result.content.pieces.push_back(Piece{false, 0, 0, std::string(paddings[i], '\0')});
    PushChunk(chunks[i], result.content);
  }
  FinishAppend(result);
  return result;
}
