// A program that reads its own "TXT" chunk when told to: it says "ready", waits for a line on
// standard input, then prints the chunk's text or the error. The reader test replaces its file
// while it waits.
#include <iostream>
#include <string>

#include "reader/tailpack_reader.h"

int main() {
  std::cout << "ready" << std::endl;
  std::string line;
  std::getline(std::cin, line);
  tailpack::SelfPathResult self = tailpack::SelfPath();
  if (!self.ok()) {
    std::cout << "error: " << self.error;
    return 1;
  }
  tailpack::ChunkBytes text = tailpack::ReadChunk(self.path, "TXT");
  std::cout << (text.ok() ? text.bytes : "error: " + text.error) << '\n' << self.name.string();
  return text.ok() ? 0 : 1;
}
