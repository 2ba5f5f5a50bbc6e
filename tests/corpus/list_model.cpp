// The corpus's oracle: the literal model's listing of a file, in the line format of list_c.c.
#include <cstdio>

#include "tests/model/literal_model.h"

int main(int argc, char** argv) {
  if (argc != 2) return 1;
  const std::string bytes = literal::ReadWholeFile(argv[1]);
  ChunkTable table;
  literal::ScanBytes(bytes, argv[1], table, nullptr);
  static const char* const kPlaces[] = {"end", "signature", "front"};
  for (const ChunkRecord& record : table) {
    const bool inside = record.Offset - 1 + record.Length <= bytes.size();
    const std::string data = literal::ReadChunkBytes(bytes, record);
    std::printf("x");
    for (unsigned char c : KindText(record)) std::printf("%02x", static_cast<unsigned>(c));
    std::printf(" %u %llu %s %s ", record.Length, static_cast<unsigned long long>(record.Offset - 1),
                kPlaces[record.Place], literal::IsBinaryChunk(data) ? "Binary" : "Text");
    if (!inside) {
      std::printf("-\n");
      continue;
    }
    std::printf("x");
    for (unsigned char c : data) std::printf("%02x", static_cast<unsigned>(c));
    std::printf("\n");
  }
  return 0;
}
