/* tailpack-example-c: prints the text of the "TXT" chunk appended to its own executable, in C. */
#define TAILPACK_IMPLEMENTATION /* this file holds the reader's implementation: its header comes first */
#include "reader/tailpack.h"

#include <stdio.h>
#include <stdlib.h>

static char block[TP_BLOCK_SIZE]; /* where the walk reads the trailers */

int main(void) {
  tp_file file;
  tp_error error;
  tp_chunk chunk;
  tp_source source;
  char *text;
  int found;
  if (tp_file_open_self(&file, &error) != 0) {
    fprintf(stderr, "tailpack-example-c: cannot open its own file: %s\n", error.text);
    return 1;
  }
  source = tp_file_source(&file);
  found = tp_find_kind(&source, "TXT", 3, block, sizeof block, &chunk, &error);
  if (found == 0) printf("no TXT chunk\n");
  if (found <= 0) {
    tp_file_close(&file);
    if (found < 0) fprintf(stderr, "tailpack-example-c: cannot read its own file: %s\n", error.text);
    return found < 0 ? 1 : 0;
  }
  text = (char *)malloc((size_t)chunk.length + 1);
  if (text == NULL || tp_read_chunk(&source, &chunk, text, &error) != 0) {
    fprintf(stderr, "tailpack-example-c: cannot read the chunk: %s\n", text == NULL ? "out of memory" : error.text);
    free(text);
    tp_file_close(&file);
    return 1;
  }
  fwrite(text, 1, chunk.length, stdout);
  if (chunk.length == 0 || text[chunk.length - 1] != '\n') fputc('\n', stdout);
  free(text);
  tp_file_close(&file);
  return 0;
}
