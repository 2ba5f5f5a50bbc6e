// greeter: prints the three chunks its build appended to it (stowr_add_chunks in CMakeLists.txt).
#include <tailpack_reader.h>

#include <cstdio>

int main() {
  tailpack::SelfPathResult self = tailpack::SelfPath();
  if (!self.ok()) {
    std::fprintf(stderr, "greeter: cannot find its own file: %s\n", self.error.c_str());
    return 1;
  }
  for (const char* kind : {"CFG", "MSG", "NOT"}) {
    tailpack::ChunkBytes chunk = tailpack::ReadChunk(self.path, kind);
    if (!chunk.ok() || !chunk.found) {
      std::fprintf(stderr, "greeter: no %s chunk: %s\n", kind, chunk.error.c_str());
      return 1;
    }
    std::printf("%s: %s\n", kind, chunk.bytes.c_str());
  }
  return 0;
}
