// The C++ layer as a program uses it, in two files that both include it, with names that
// <windows.h> would turn into macros: it must compile, link and read its own chunks on every
// compiler and standard of the matrix, with and without exceptions and RTTI.
#include "reader/tailpack_reader.h"

#include <cstdio>

enum class Severity { OK, ERROR };  // ERROR is a macro of <windows.h>
struct Store {
  bool DeleteFile() const { return true; }  // DeleteFile is DeleteFileA under <windows.h>
};

std::size_t CountOwnChunks();  // two.cpp

int main() {
  tailpack::SelfPathResult self = tailpack::SelfPath();
  if (!self.ok()) return 1;
  tailpack::ChunkBytes text = tailpack::ReadChunk(self.path, "TXT");
  if (!text.ok()) return 1;
  std::printf("%zu %s\n", CountOwnChunks(), text.found ? text.bytes.c_str() : "none");
  return Store().DeleteFile() && Severity::ERROR != Severity::OK ? 0 : 1;
}
