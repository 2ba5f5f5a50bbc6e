// C++ older than 17 uses the C interface; this file holds its implementation too.
#define TAILPACK_IMPLEMENTATION
#include "reader/tailpack.h"

#include <cstdio>

int main() {
  static char block[TP_BLOCK_SIZE];
  tp_file file;
  tp_error error;
  tp_chunk chunk;
  if (tp_file_open_self(&file, &error) != 0) return 1;
  tp_source source = tp_file_source(&file);
  int found = tp_find_kind(&source, "TXT", 3, block, sizeof block, &chunk, &error);
  tp_file_close(&file);
  std::printf("%d\n", found);
  return found < 0 ? 1 : 0;
}
