// Clearing the Tailpack: the file up to the first byte of its oldest chunk.
#include "store/edit.h"
#include "store/log.h"
#include "store/scan.h"

namespace {

// Walks source and logs the clean size; returns the length of the executable's own bytes and the
// oldest chunk, whose start it is.
Status CleanSize(const ByteSource& source, std::uint64_t& clean, ChunkRecord& oldest) {
  Status status = WalkTailpack(source, [&oldest](const ChunkRecord& record) { oldest = record; }, clean);
  if (status.ok()) LogLine("Done. Clean file is " + Grouped(clean) + " Bytes>");
  return status;
}

}  // namespace

// Reads only the trailers; the content is the front of the file, copied when it is written. The
// cut relies on the newest and the oldest trailer, which must still be there then.
EditResult StripTailpack(const std::string& path) {
  EditResult result;
  SourceFile file;
  ByteSource source;
  result.status = OpenStampedSource(path, file, source);
  if (!result.status.ok()) return result;
  LogLine("<Clearing Tailpack from file " + path + " (" + Grouped(source.size) + " Bytes)");
  std::uint64_t clean = 0;
  ChunkRecord oldest;
  result.status = CleanSize(source, clean, oldest);
  if (result.status.ok()) result.status = ExpectLastTrailer(source, file);
  if (result.status.ok()) result.status = ExpectTrailer(source, oldest, file);
  if (!result.status.ok()) return result;
  result.content.sources.push_back(std::move(file));
  result.content.pieces.push_back(Piece{true, 0, clean, {}});
  result.changed = clean != source.size;
  return result;
}

// The in-memory form logs nothing.
std::string StripTailpackBytes(std::string_view bytes) {
  std::uint64_t clean = 0;
  WalkTailpack(MemorySource(bytes), [](const ChunkRecord&) {}, clean);  // a memory source cannot fail
  return std::string(bytes.substr(0, static_cast<std::size_t>(clean)));
}
