// The corpus's C++ reader: lists a file with tailpack_reader.h, in the line format of list_c.c.
#include <cstdio>

#include "reader/tailpack_reader.h"

namespace {

void PrintHex(const std::string& bytes) {
  std::printf("x");
  for (unsigned char c : bytes) std::printf("%02x", static_cast<unsigned>(c));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 1;
  const tailpack::Listing listing = tailpack::ListChunks(argv[1]);
  if (!listing.ok()) {
    std::fprintf(stderr, "list_cpp: %s\n", listing.error.c_str());
    return 2;
  }
  static const char* const kPlaces[] = {"end", "signature", "front"};
  for (const tailpack::Chunk& chunk : listing.chunks) {
    const tailpack::ChunkBytes data = tailpack::ReadChunk(argv[1], chunk);
    PrintHex(chunk.kind);
    std::printf(" %u %llu %s %s ", chunk.length, static_cast<unsigned long long>(chunk.offset),
                kPlaces[static_cast<int>(chunk.place)], data.bytes.find('\0') != std::string::npos ? "Binary" : "Text");
    if (data.ok()) PrintHex(data.bytes);
    else std::printf("-");
    std::printf("\n");
  }
  return 0;
}
