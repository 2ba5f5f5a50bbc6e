// Feeds arbitrary bytes to the trailer walk and to the in-memory strip and cut, checking that
// records stand in file order inside the file and that every edit removes exactly what it says.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "reader/tailpack_reader.h"
#include "store/edit.h"
#include "store/tailpack.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

ChunkTable StoreWalk(std::string_view bytes) {
  ChunkTable table;
  std::uint64_t remaining = 0;
  Check(WalkTailpack(MemorySource(bytes), [&table](const ChunkRecord& r) { table.insert(table.begin(), r); },
                     remaining).ok());
  return table;
}

// The single-header reader must find the store's records in bytes, walking from the end of the
// file or, for a signed executable, from the start of its certificate table; and it must read
// exactly the bytes of each record that lies inside the file.
void CheckReader(std::string_view bytes) {
  tailpack::Listing listing = tailpack::ListChunksInMemory(bytes);
  Check(listing.ok() && listing.end <= bytes.size());
  ChunkTable table = StoreWalk(bytes.substr(0, listing.end));
  Check(listing.chunks.size() == table.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    const tailpack::Chunk& chunk = listing.chunks[i];
    Check(chunk.kind == KindText(table[i]) && chunk.length == table[i].Length && chunk.offset + 1 == table[i].Offset);
    tailpack::ChunkBytes data = tailpack::ReadChunk(tailpack::MemorySource(bytes), i);
    bool inside = chunk.offset + chunk.length <= bytes.size();
    Check(data.found && data.ok() == inside);
    Check(!inside || data.bytes == bytes.substr(chunk.offset, chunk.length));
  }
  Check(listing.body == (table.empty() ? listing.end : listing.chunks.front().offset));
}

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// The input behind a minimal PE32+ header whose security directory takes its address and size
// from the input's first 8 bytes, so that the certificate table handling is explored too.
std::string AsSignedExecutable(std::string_view input) {
  std::string pe(512, '\0');
  pe[0] = 'M';
  pe[1] = 'Z';
  Put32(pe, 0x3C, 0x80);
  pe.replace(0x80, 4, std::string("PE\0\0", 4));
  Put32(pe, 0x80 + 20, 240);
  Put32(pe, 0x98, 0x20B);
  Put32(pe, 0x98 + 108, 16);
  std::string_view directory = input.substr(0, 8);
  pe.replace(0x98 + 112 + 32, directory.size(), directory);
  return pe + std::string(input.substr(directory.size()));
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

  CheckReader(bytes);
  CheckReader(AsSignedExecutable(bytes));
  return 0;
}
