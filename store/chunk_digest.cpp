#include "store/chunk_digest.h"

#include <memory>

#include "platform/hash.h"
#include "store/scan.h"
#include "store/source.h"
#include "store/source_blocks.h"
#include "store/walk.h"

namespace {

std::string LowerHex(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (unsigned char byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

// The hash and type of record's data: taken from the walk's blocks when they hold it, otherwise
// read in blocks. No hash (and Text) for a chunk that reaches beyond the end of the file.
Status HashChunk(const tp_source& source, const tp_blocks& blocks, const ChunkRecord& record, platform::Hash& hash,
                 std::unique_ptr<char[]>& buffer, bool& binary, std::string& sha256) {
  binary = false;
  sha256.clear();
  if (!CheckChunkWithin(record, source.size).ok()) return Status::Success();
  Status status = hash.Begin(platform::HashAlgorithm::Sha256);
  if (!status.ok()) return status;
  auto take = [&](std::string_view block) {
    hash.Update(block.data(), block.size());
    binary = binary || IsBinaryChunk(block);
  };
  const std::uint64_t start = DataStart(record);
  if (tp_blocks_holds(&blocks, start, record.Length)) take(std::string_view(tp_blocks_at(&blocks, start), record.Length));
  else status = ForEachBlock(source, start, record.Length, buffer, take);
  std::string digest;
  if (status.ok()) status = hash.End(digest);
  sha256 = LowerHex(digest);
  return status;
}

}  // namespace

Status ScanTailpackHashedRows(const std::string& path, const HashedRowVisit& row) {
  FileSource file;
  Status status = file.Open(path);
  if (!status.ok()) return status;
  const tp_source& source = file.Source();
  platform::Hash hash;
  std::unique_ptr<char[]> buffer;
  std::string sha256;
  Status failed;
  status = WalkRecordsOldestFirst(
      source, [](const tp_trailer&) {},
      [&](const ChunkRecord& record, const tp_blocks& blocks) {
        bool binary = false;
        if (failed.ok()) failed = HashChunk(source, blocks, record, hash, buffer, binary, sha256);
        if (failed.ok()) row(record, binary, sha256);
      });
  return status.ok() ? failed : status;
}
