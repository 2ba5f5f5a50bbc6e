// tailpack-example: prints the text of the "TXT" chunk appended to its own executable.
#include <cstdio>
#include <string>

#include "reader/tailpack_reader.h"

// The path for messages; a path the console cannot show is named generically.
static std::string Shown(const std::filesystem::path& path) {
  try {
    return path.string();
  } catch (const std::exception&) {
    return "this program";
  }
}

int main() {
  tailpack::SelfPathResult self = tailpack::SelfPath();
  if (!self.ok()) {
    std::fprintf(stderr, "tailpack-example: cannot find its own file: %s\n", self.error.c_str());
    return 1;
  }
  tailpack::ChunkBytes text = tailpack::ReadChunk(self.path, "TXT");
  if (!text.ok()) {
    std::fprintf(stderr, "tailpack-example: cannot read %s: %s\n", Shown(self.name).c_str(), text.error.c_str());
    return 1;
  }
  if (!text.found) {
    std::printf("no TXT chunk in %s\n", Shown(self.name).c_str());
    return 0;
  }
  std::fwrite(text.bytes.data(), 1, text.bytes.size(), stdout);
  if (text.bytes.empty() || text.bytes.back() != '\n') std::fputc('\n', stdout);
  return 0;
}
