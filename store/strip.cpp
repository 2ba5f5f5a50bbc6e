// Clearing the Tailpack: the file up to the first byte of its oldest chunk.
#include "store/edit.h"
#include "store/log.h"
#include "store/scan.h"

namespace {

// Walks source and logs the clean size; returns the length of the executable's own bytes.
Status CleanSize(const ByteSource& source, std::uint64_t& clean) {
  Status status = WalkTailpack(source, [](const ChunkRecord&) {}, clean);
  if (status.ok()) LogLine("Done. Clean file is " + Grouped(clean) + " Bytes>");
  return status;
}

}  // namespace

// Reads only the trailers; the content is the front of the file, copied when it is written.
EditResult StripTailpack(const std::string& path) {
  EditResult result;
  ByteSource source;
  result.status = OpenFileSource(path, source);
  if (!result.status.ok()) return result;
  LogLine("<Clearing Tailpack from file " + path + " (" + Grouped(source.size) + " Bytes)");
  std::uint64_t clean = 0;
  result.status = CleanSize(source, clean);
  if (!result.status.ok()) return result;
  result.content.sourcePath = path;
  result.content.sourceSize = source.size;
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
