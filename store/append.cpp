// Adding a chunk: the executable's bytes, then the data and its trailer.
#include <cstdint>

#include "store/edit.h"
#include "store/log.h"
#include "store/scan.h"

namespace {

// Logs the attempt and tells whether the chunk can be stored: it needs data, a kind of at most
// three characters, and a length that the eight-digit field can hold (a longer one would corrupt
// the Tailpack).
bool AcceptChunk(std::string_view kind, std::string_view data) {
  LogLine("- Trying to add a chunk of data, of type '" + std::string(kind) + "' and length " + Grouped(data.size()) +
          " Bytes");
  if (data.empty() || kind.size() > kKindSize || data.size() > std::uint64_t{0xFFFFFFFF}) {
    LogLine("Failed. Original file unchanged>");
    return false;
  }
  return true;
}

// Only the space character is trimmed from the kind, on both sides.
std::string_view TrimSpaces(std::string_view kind) {
  std::size_t first = kind.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return kind.substr(first, kind.find_last_not_of(' ') - first + 1);
}

std::string NewChunk(std::string_view kind, std::string_view data) {
  std::string chunk(data);
  chunk += MakeTrailer(data.size(), TrimSpaces(kind));
  return chunk;
}

}  // namespace

// The executable is copied from its file when the content is written; only its size is taken
// here. A missing or unreadable executable gives its status and no content to write.
EditResult AppendChunk(const ExeFile& exe, std::string_view kind, std::string_view data) {
  EditResult result;
  ByteSource source;
  result.status = OpenFileSource(exe.path, source);
  if (!result.status.ok()) return result;
  LogLine("<Adding Tailpack to file " + exe.path + " (" + Grouped(source.size) + " Bytes)");
  result.content.sourcePath = exe.path;
  result.content.sourceSize = source.size;
  result.content.pieces.push_back(Piece{true, 0, source.size, {}});
  if (!AcceptChunk(kind, data)) return result;
  result.content.pieces.push_back(Piece{false, 0, 0, NewChunk(kind, data)});
  result.changed = true;
  LogLine("Done. New file is " + Grouped(ContentSize(result.content)) + " Bytes>");
  return result;
}

std::string AppendChunk(std::string_view exeBytes, std::string_view kind, std::string_view data) {
  LogLine("<Adding Tailpack to unnamed executable (" + Grouped(exeBytes.size()) + " Bytes)");
  std::string result(exeBytes);
  if (!AcceptChunk(kind, data)) return result;
  result += NewChunk(kind, data);
  LogLine("Done. New file is " + Grouped(result.size()) + " Bytes>");
  return result;
}
