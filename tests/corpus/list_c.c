/* The corpus's C reader: lists a file through libtailpack's interface alone, one line per chunk,
 * oldest first: x<kind in hex> <length> <offset> <place> <Text|Binary> x<data in hex>, the data
 * "-" when it cannot be read. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "tailpack.h"

static char block[TP_BLOCK_SIZE];

static void print_hex(const char *bytes, size_t n) {
  size_t i;
  putchar('x');
  for (i = 0; i < n; ++i) printf("%02x", (unsigned)(unsigned char)bytes[i]);
}

static int print_chunk(const tp_source *source, const tp_chunk *chunk, tp_error *error) {
  static const char *const places[] = {"end", "signature", "front"};
  const int readable = tp_check_chunk(source, chunk, error) == 0;
  char *data = (char *)malloc(readable ? (size_t)chunk->length + 1 : 1);
  if (data == NULL) return -1;
  if (readable && tp_read_chunk(source, chunk, data, error) != 0) {
    free(data);
    return -1;
  }
  print_hex(chunk->kind, strlen(chunk->kind));
  printf(" %lu %llu %s %s ", (unsigned long)chunk->length, (unsigned long long)chunk->offset, places[chunk->place],
         readable && memchr(data, 0, chunk->length) != NULL ? "Binary" : "Text");
  if (readable) print_hex(data, chunk->length);
  else putchar('-');
  putchar('\n');
  free(data);
  return 0;
}

/* Lists the chunks of the open source: counted first, then listed into room for all of them. */
static int list(const tp_source *source, tp_error *error) {
  uint64_t count = 0, i;
  tp_chunk *chunks;
  int got = tp_list_chunks(source, block, sizeof block, NULL, 0, &count, error);
  if (got <= 0) return got;
  chunks = (tp_chunk *)malloc((size_t)count * sizeof *chunks);
  if (chunks == NULL) return -1;
  got = tp_list_chunks(source, block, sizeof block, chunks, (size_t)count, &count, error);
  for (i = 0; got == 0 && i < count; ++i) got = print_chunk(source, &chunks[i], error);
  free(chunks);
  return got;
}

#if defined(_WIN32)
int wmain(int argc, wchar_t **argv) {
#else
int main(int argc, char **argv) {
#endif
  tp_file file;
  tp_error error;
  tp_source source;
  int got;
  if (argc != 2) return 1;
  if (tp_file_open(&file, argv[1], &error) != 0) {
    fprintf(stderr, "list_c: %s\n", error.text);
    return 2;
  }
  source = tp_file_source(&file);
  got = list(&source, &error);
  tp_file_close(&file);
  if (got != 0) fprintf(stderr, "list_c: %s\n", error.text);
  return got == 0 ? 0 : 2;
}
