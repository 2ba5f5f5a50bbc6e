// Scanning a file into the ChunkTable and testing a chunk's type, both through a source that
// reads only the bytes asked for.
#include "store/scan.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/files.h"
#include "store/chunk_file.h"
#include "store/grouped.h"
#include "store/log.h"
#include "store/walk.h"

namespace {

constexpr std::size_t kTestBlock = std::size_t{1} << 20;

// True when the n bytes of source at offset hold a zero byte. Reads them in blocks through one
// buffer (allocated on first use) and stops at the first zero, so a large chunk costs at most its
// own bytes; false when they cannot be read.
bool StreamHasZero(const tp_source& source, std::uint64_t offset, std::uint64_t n, std::unique_ptr<char[]>& buffer) {
  for (std::uint64_t done = 0; done < n;) {
    if (!buffer) buffer.reset(new char[kTestBlock]);
    std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(kTestBlock, n - done));
    if (!ReadSource(source, offset + done, buffer.get(), piece).ok()) return false;
    if (IsBinaryChunk(std::string_view(buffer.get(), piece))) return true;
    done += piece;
  }
  return false;
}

// The Text/Binary test of record during the walk: the part of its data that the walk's block
// holds is tested there, only the rest is read. A record that does not fit the file is Text, as
// an unreadable chunk is.
bool ChunkTypeInWalk(const tp_source& source, const tp_blocks& blocks, const ChunkRecord& record,
                     std::unique_ptr<char[]>& buffer) {
  std::uint64_t start = DataStart(record), end = start + record.Length;
  if (start > source.size || record.Length > source.size - start) return false;
  if (tp_blocks_holds(&blocks, start, record.Length)) return std::memchr(tp_blocks_at(&blocks, start), 0, record.Length) != nullptr;
  std::uint64_t heldStart = std::clamp(blocks.start, start, end), heldEnd = std::clamp(blocks.end, heldStart, end);
  if (heldEnd > heldStart && IsBinaryChunk(std::string_view(tp_blocks_at(&blocks, heldStart), heldEnd - heldStart))) return true;
  return StreamHasZero(source, start, heldStart - start, buffer) || StreamHasZero(source, heldEnd, end - heldEnd, buffer);
}

void LogFound(const ChunkRecord& record) {
  LogLine("- Found a chunk of data, of type '" + KindText(record) + "', at address " + Grouped(record.Offset) +
          " (length: " + Grouped(record.Length) + " Bytes)");
}

// Walks the file's trailers, logging each chunk as it is found (newest first), and appends the
// records oldest first, with their types when binary is given. On a read failure the table (and
// binary) are left as they were.
Status ScanFile(const std::string& path, ChunkTable& table, std::vector<bool>* binary, SignatureInfo* signature,
                platform::FileStamp* stamp) {
  ChunkFile file;
  Status status = file.Open(path);
  if (!status.ok()) return status;
  if (stamp) *stamp = file.Stamp();
  const tp_source& source = file.Source();
  LogLine("<Parsing Tailpack of file " + path + " (" + Grouped(source.size) + " Bytes)");
  const std::size_t first = table.size(), firstType = binary ? binary->size() : 0;
  const bool logging = LogEnabled();
  std::unique_ptr<char[]> buffer;
  FileLayout layout;
  status = WalkTrailers(
      source,
      [&](const tp_trailer& trailer, const tp_blocks& blocks) {
        const ChunkRecord& record = table.emplace_back(RecordOf(trailer));
        if (binary) binary->push_back(ChunkTypeInWalk(source, blocks, record, buffer));
        if (logging) LogFound(record);
        return true;
      },
      &layout);
  if (signature) *signature = SignatureInfo{layout.table.present != 0, layout.table.holds_chunks != 0};
  if (!status.ok()) {
    table.resize(first);
    if (binary) binary->resize(firstType);
    return status;
  }
  std::reverse(table.begin() + static_cast<std::ptrdiff_t>(first), table.end());
  if (binary) std::reverse(binary->begin() + static_cast<std::ptrdiff_t>(firstType), binary->end());
  LogLine(std::to_string(table.size() - first) + " chunk(s) of data found>");
  return Status::Success();
}

}  // namespace

Status ScanTailpack(const std::string& path, ChunkTable& table, platform::FileStamp* stamp) {
  return ScanFile(path, table, nullptr, nullptr, stamp);
}

Status ScanTailpackTypes(const std::string& path, ChunkTable& table, std::vector<bool>& binary,
                         SignatureInfo* signature, platform::FileStamp* stamp) {
  return ScanFile(path, table, &binary, signature, stamp);
}

Status ScanTailpackRows(const std::string& path, const ChunkRowVisit& row) {
  FileSource file;
  Status status = file.Open(path);
  if (!status.ok()) return status;
  const tp_source& source = file.Source();
  LogLine("<Parsing Tailpack of file " + path + " (" + Grouped(source.size) + " Bytes)");
  const bool logging = LogEnabled();
  std::size_t count = 0;
  std::unique_ptr<char[]> buffer;
  status = WalkRecordsOldestFirst(
      source,
      [&](const tp_trailer& trailer) {
        ++count;
        if (logging) LogFound(RecordOf(trailer));
      },
      [&](const ChunkRecord& record, const tp_blocks& blocks) {
        row(record, ChunkTypeInWalk(source, blocks, record, buffer));
      });
  if (!status.ok()) return status;
  LogLine(std::to_string(count) + " chunk(s) of data found>");
  return Status::Success();
}

Status CheckChunkWithin(const ChunkRecord& record, std::uint64_t size) {
  if (record.Offset >= 1 && DataStart(record) <= size && record.Length <= size - DataStart(record))
    return Status::Success();
  return Status::Failed("The chunk lies beyond the end of the file");
}

bool ChunkIsBinary(const std::string& path, const ChunkRecord& record) {
  ChunkFile file;
  return file.Open(path).ok() && file.IsBinary(record);
}
