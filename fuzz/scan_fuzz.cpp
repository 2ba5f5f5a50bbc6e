// Feeds arbitrary bytes to the trailer walk and to the in-memory strip and cut, checking that
// records stand in file order inside the file and that every edit removes exactly what it says.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/edit.h"
#include "store/tailpack.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  ChunkTable table;
  std::uint64_t remaining = 0;
  Status status = WalkTailpack(MemorySource(bytes), [&table](const ChunkRecord& r) { table.insert(table.begin(), r); },
                               remaining);
  Check(status.ok());
  Check(remaining <= size);
  // Each record's trailer ends where the next record's data begin (or at the end of the file).
  // A whole chunk has its data and trailer in front of that point; a damaged one keeps its
  // length field, so its "data" begin 9 bytes (marker and kind) before that point.
  for (std::size_t i = 0; i < table.size(); ++i) {
    const ChunkRecord& record = table[i];
    std::uint64_t end = i + 1 < table.size() ? table[i + 1].Offset - 1 : size;
    Check(record.Offset >= 1 && record.Offset - 1 < end && end <= size);
    Check(record.Kind[3] == '\0');
    bool whole = record.Offset - 1 + record.Length + kTrailerSize == end;
    bool damaged = record.Offset - 1 == end - (end < 9 ? end : 9);
    Check(whole || damaged);
  }
  Check(remaining == (table.empty() ? size : table.front().Offset - 1));

  std::string stripped = StripTailpackBytes(bytes);
  Check(stripped == bytes.substr(0, remaining));
  Check(StripTailpackBytes(stripped) == stripped);

  for (std::size_t index = 1; index <= table.size(); ++index) {
    std::uint64_t cutStart = table[index - 1].Offset - 1;
    std::uint64_t cutEnd = index < table.size() ? table[index].Offset - 1 : size;
    std::string cut = CutChunkBytes(bytes, table, index);
    Check(cut.size() == size - (cutEnd - cutStart));
    Check(std::string_view(cut).substr(0, cutStart) == bytes.substr(0, cutStart));
    Check(std::string_view(cut).substr(cutStart) == bytes.substr(cutEnd));
  }
  Check(CutChunkBytes(bytes, table, table.size() + 1) == bytes);
  return 0;
}
