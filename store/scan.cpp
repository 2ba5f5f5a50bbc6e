// Scanning a file into the ChunkTable and reading one chunk's data, both through a ByteSource
// that reads only the bytes asked for.
#include "store/scan.h"

#include <algorithm>
#include <memory>

#include "platform/files.h"
#include "store/log.h"

namespace {

// Closes the file when the last copy of the ByteSource that reads it goes away.
struct OpenFile {
  platform::FileHandle handle = platform::kNoFile;
  ~OpenFile() { platform::CloseFile(handle); }
};

}  // namespace

// The file's size and a reader at offsets; the file stays open while the source lives.
Status OpenFileSource(const std::string& path, ByteSource& source) {
  auto file = std::make_shared<OpenFile>();
  std::uint64_t size = 0;
  Status status = platform::OpenForRead(path, file->handle, size);
  if (!status.ok()) return status;
  source.size = size;
  source.readAt = [file](std::uint64_t offset, char* out, std::size_t n) {
    return platform::ReadAt(file->handle, offset, out, n);
  };
  return Status::Success();
}

// Walks the file's trailers, logging each chunk as it is found (newest first), and appends the
// records oldest first. On a read failure the table is left as it was.
Status ScanTailpack(const std::string& path, ChunkTable& table) {
  ByteSource source;
  Status status = OpenFileSource(path, source);
  if (!status.ok()) return status;
  LogLine("<Parsing Tailpack of file " + path + " (" + Grouped(source.size) + " Bytes)");
  ChunkTable found;
  std::uint64_t remaining = 0;
  status = WalkTailpack(
      source,
      [&found](const ChunkRecord& record) {
        found.push_back(record);
        LogLine("- Found a chunk of data, of type '" + KindText(record) + "', at address " + Grouped(record.Offset) +
                " (length: " + Grouped(record.Length) + " Bytes)");
      },
      remaining);
  if (!status.ok()) return status;
  table.insert(table.end(), found.rbegin(), found.rend());
  LogLine(std::to_string(found.size()) + " chunk(s) of data found>");
  return Status::Success();
}

namespace {

// Opens the file behind record and checks that the chunk's data lies inside it.
Status OpenChunk(const std::string& path, const ChunkRecord& record, ByteSource& source) {
  Status status = OpenFileSource(path, source);
  if (!status.ok()) return status;
  if (record.Offset == 0 || record.Offset - 1 > source.size || record.Length > source.size - (record.Offset - 1))
    return Status::Error("The chunk lies beyond the end of the file");
  return Status::Success();
}

}  // namespace

// Checks the record against the file's size and reads only the chunk's bytes.
Status TryReadChunk(const std::string& path, const ChunkRecord& record, std::string& bytes) {
  bytes.clear();
  ByteSource source;
  Status status = OpenChunk(path, record, source);
  if (!status.ok()) return status;
  std::string data(record.Length, '\0');
  status = source.readAt(record.Offset - 1, data.data(), data.size());
  if (status.ok()) bytes = std::move(data);
  return status;
}

std::string ReadChunk(const std::string& path, const ChunkRecord& record) {
  std::string bytes;
  TryReadChunk(path, record, bytes);
  return bytes;
}

// Reads the chunk in blocks through one buffer and stops at the first zero byte, so a listing
// holds at most one block however large the chunks are.
bool ChunkIsBinary(const std::string& path, const ChunkRecord& record) {
  constexpr std::size_t kBlock = std::size_t{1} << 20;
  ByteSource source;
  if (!OpenChunk(path, record, source).ok()) return false;
  std::unique_ptr<char[]> block(new char[kBlock]);
  for (std::uint64_t done = 0; done < record.Length;) {
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, record.Length - done));
    if (!source.readAt(record.Offset - 1 + done, block.get(), n).ok()) return false;
    if (IsBinaryChunk(std::string_view(block.get(), n))) return true;
    done += n;
  }
  return false;
}
