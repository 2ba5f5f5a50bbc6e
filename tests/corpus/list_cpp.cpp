// The corpus's C++ reader: lists a file with tailpack_reader.h, in the line format of list_c.c.
// With --model, the oracle instead: the literal model's listing, from the file read whole.
#include <cstdio>
#include <cstring>
#include <optional>

#include "reader/tailpack_reader.h"
#include "tests/model/literal_model.h"

namespace {

void PrintHex(const std::string& bytes) {
  std::printf("x");
  for (unsigned char c : bytes) std::printf("%02x", static_cast<unsigned>(c));
}

// One line: the chunk, and its data when it can be read.
void PrintChunk(const std::string& kind, std::uint32_t length, std::uint64_t offset, int place,
                const std::optional<std::string>& data) {
  static const char* const kPlaces[] = {"end", "signature", "front"};
  PrintHex(kind);
  std::printf(" %u %llu %s %s ", length, static_cast<unsigned long long>(offset), kPlaces[place],
              data && data->find('\0') != std::string::npos ? "Binary" : "Text");
  if (data) PrintHex(*data);
  else std::printf("-");
  std::printf("\n");
}

int ListModel(const char* path) {
  const std::string bytes = literal::ReadWholeFile(path);
  ChunkTable table;
  literal::ScanBytes(bytes, path, table, nullptr);
  for (const ChunkRecord& record : table) {
    std::optional<std::string> data;
    if (record.Offset - 1 + record.Length <= bytes.size()) data = literal::ReadChunkBytes(bytes, record);
    PrintChunk(KindText(record), record.Length, record.Offset - 1, record.Place, data);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[2], "--model") == 0) return ListModel(argv[1]);
  if (argc != 2) return 1;
  const tailpack::Listing listing = tailpack::ListChunks(argv[1]);
  if (!listing.ok()) {
    std::fprintf(stderr, "list_cpp: %s\n", listing.error.c_str());
    return 2;
  }
  for (const tailpack::Chunk& chunk : listing.chunks) {
    const tailpack::ChunkBytes data = tailpack::ReadChunk(argv[1], chunk);
    PrintChunk(chunk.kind, chunk.length, chunk.offset, static_cast<int>(chunk.place),
               data.ok() ? std::optional<std::string>(data.bytes) : std::nullopt);
  }
  return 0;
}
