#include "store/chunk_compare.h"

#include <algorithm>
#include <cstring>
#include <vector>

Status ChunkHolds(const ChunkFile& exe, const ChunkRecord& record, const tp_source& data, bool& same) {
  same = false;
  Status status = exe.Check(record);
  if (!status.ok() || record.Length != data.size) return status;
  constexpr std::size_t kBlock = 64 * 1024;
  std::vector<char> ours(kBlock), theirs(kBlock);
  const std::uint64_t start = DataStart(record);
  for (std::uint64_t at = 0; at < data.size; at += kBlock) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, data.size - at));
    if (!(status = ReadSource(exe.Source(), start + at, ours.data(), n)).ok()) return status;
    if (!(status = ReadSource(data, at, theirs.data(), n)).ok()) return status;
    if (std::memcmp(ours.data(), theirs.data(), n) != 0) return Status::Success();
  }
  same = true;
  return Status::Success();
}
