/* tailpack.h: reads the Tailpack appended to an executable, usually the program's own. C99 (and
 * C++11 on), one file, no allocation: every buffer is the caller's, and nothing is kept between
 * calls.
 *
 * A Tailpack is a sequence of chunks behind the last byte of an executable. Every chunk is its
 * data followed by a 17-byte trailer: the data length as 8 hexadecimal digits, a 3-byte kind
 * (right-aligned, short kinds padded on the left with spaces) and the marker "{TlPk}". Chunks are
 * found by walking the trailers back from the end of the file; only the trailers, the PE headers
 * and the chunk asked for are read, and files of 4 GiB and more work. docs/FORMAT.md describes
 * the bytes in full.
 *
 * When several chunks share a kind, the newest one (nearest the end of the file) is found first,
 * so a chunk added later overrides an earlier one of the same kind.
 *
 * Signed executables: a signing tool puts its certificate table at the very end of the file and
 * records it in the PE security directory. The Authenticode hash does not cover that table nor
 * the signer's unauthenticated attributes, so chunks placed inside the signature blob, in the
 * value of an unauthenticated attribute that ends the blob (TP_CHUNK_ATTRIBUTE_OID), leave the
 * signature valid; older files hold them behind the blob, in the table. Chunks added before
 * signing stand in front of the table (up to 7 zero bytes of alignment padding may follow them).
 * For a PE file whose certificate table ends the file and is well formed (one entry, sizes that
 * agree, 8-byte alignment, a signature blob of known length), the chunks are those inside the
 * table (in the blob's chunk attribute or behind the blob), newest, and those in front of the
 * table, oldest. Any other file, signed or not, is read from its end.
 *
 * Use: in exactly one C or C++ file of the program, before any other header,
 *
 *     #define TAILPACK_IMPLEMENTATION
 *     #include "tailpack.h"
 *
 * and elsewhere include it plainly; or include it plainly everywhere and link libtailpack (the
 * shared library libtailpack.so.0 or tailpack.dll with its import library tailpack.lib, or the
 * static libtailpack.a), which holds the same implementation. Then:
 *
 *     static char block[TP_BLOCK_SIZE];
 *     tp_file file; tp_error error; tp_chunk chunk;
 *     if (tp_file_open_self(&file, &error) != 0) fail(error.text);
 *     tp_source source = tp_file_source(&file);
 *     int found = tp_find_kind(&source, "TXT", 3, block, sizeof block, &chunk, &error);
 *     if (found > 0) { read chunk.length bytes with tp_read_chunk(&source, &chunk, out, &error) }
 *     tp_file_close(&file);
 *
 * Functions return 0 when done and -1 with the reason in error->text when not; those that look
 * for something return 1 when found and 0 when not. tailpack_reader.h is a C++17 interface over
 * this one and needs no implementation file. Windows paths are wide (wchar_t); the header itself
 * includes no system header beyond <stddef.h> and <stdint.h>, and the implementation declares the
 * few Win32 calls it makes itself instead of including <windows.h>.
 *
 * The interface is the functions marked TP_API and the structs they take, whose every field has
 * a fixed size and place (given beside it: byte offset, size), the same with every compiler of a
 * platform, so that any language that calls C can use libtailpack. Pointers and size_t are the
 * platform's; the offsets given for tp_source and tp_file are those of 64-bit systems. The
 * declarations under "Internals" serve stowr's own store and tailpack_reader.h, which compile the
 * implementation into themselves; libtailpack does not export them, and they may change.
 */
#ifndef TAILPACK_H_INCLUDED
#define TAILPACK_H_INCLUDED

/* pread, readlink and a 64-bit off_t in strict C; effective when this is the file's first header. */
#if defined(TAILPACK_IMPLEMENTATION) && !defined(__cplusplus) && !defined(_WIN32)
#if !defined(_POSIX_C_SOURCE) && !defined(_GNU_SOURCE)
#define _POSIX_C_SOURCE 200809L
#endif
#if !defined(_FILE_OFFSET_BITS)
#define _FILE_OFFSET_BITS 64
#endif
#endif

#include <stddef.h>
#include <stdint.h>

/* The functions libtailpack exports. Building the shared library (TAILPACK_BUILD_SHARED) with
 * hidden visibility exports these and nothing else; everywhere else the mark is empty, and a
 * program that links tailpack.dll calls them through its import library. */
#if !defined(TP_API)
#if defined(TAILPACK_BUILD_SHARED) && defined(_WIN32)
#define TP_API __declspec(dllexport)
#elif defined(TAILPACK_BUILD_SHARED) && (defined(__GNUC__) || defined(__clang__))
#define TP_API __attribute__((visibility("default")))
#else
#define TP_API
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define TP_MARKER "{TlPk}"
#define TP_MARKER_SIZE 6u
#define TP_TRAILER_SIZE 17u /* 8 length digits, 3 kind bytes, the marker */
/* The block size the walk reads trailers in at most: many small chunks cost one read per block. */
#define TP_BLOCK_SIZE 65536u
#define TP_ERROR_SIZE 256u

/* Where a chunk stands in its file: 4 bytes (checked below), values 0, 1 and 2. */
typedef enum tp_place {
  TP_PLACE_END,       /* 0: behind everything: the end of the file */
  TP_PLACE_SIGNATURE, /* 1: inside the certificate table of a signed executable */
  TP_PLACE_FRONT      /* 2: in front of the certificate table of a signed executable */
} tp_place;

/* Why a call failed, as text. 256 bytes. */
typedef struct tp_error {
  char text[TP_ERROR_SIZE]; /* 0, 256: NUL-terminated, at most 255 bytes */
} tp_error;

/* Random access to bytes of known size. read_at reads exactly n bytes at offset (the range lies
 * inside size): 0, or -1 with the reason in error. memory, when not NULL, holds all size bytes:
 * they are then walked in place and read_at is not called. 32 bytes on 64-bit systems. */
typedef int (*tp_read_fn)(void *context, uint64_t offset, void *out, size_t n, tp_error *error);
typedef struct tp_source {
  uint64_t size;      /* 0, 8: the number of bytes */
  void *context;      /* 8, 8: handed to read_at */
  tp_read_fn read_at; /* 16, 8 */
  const char *memory; /* 24, 8: the bytes themselves, or NULL */
} tp_source;

/* A chunk. 24 bytes. */
typedef struct tp_chunk {
  char kind[4];      /* 0, 4: the kind field as stored (leading spaces kept), cut at a NUL byte, NUL-terminated */
  uint32_t length;   /* 4, 4: the number of data bytes */
  uint64_t offset;   /* 8, 8: 0-based file offset of the first data byte */
  tp_place place;    /* 16, 4 */
  uint32_t reserved; /* 20, 4: 0 */
} tp_chunk;

/* The PE certificate table of a file, as the security directory names it. 72 bytes. */
typedef struct tp_certificate_table {
  int32_t present;        /* 0, 4: 1 when the security directory names a table inside the file, behind the headers */
  int32_t at_end;         /* 4, 4: 1 when the table ends exactly at the end of the file */
  int32_t holds_chunks;   /* 8, 4: 1 for a well-formed signature at the end: chunks go inside the table */
  uint32_t entry_length;  /* 12, 4: dwLength of the table's certificate entry, when it holds chunks */
  uint64_t offset;        /* 16, 8: 0-based file offset of the table */
  uint64_t size;          /* 24, 8 */
  uint64_t directory_at;  /* 32, 8: file offset of the security directory entry: address, then size */
  uint64_t headers_end;   /* 40, 8: end of the optional header; no chunk starts in front of it */
  uint64_t signature_end; /* 48, 8: end of that entry's signature blob, when it holds chunks */
  uint64_t chunks_at;     /* 56, 8: where the value of the blob's chunk attribute begins, or 0 when it has none */
  uint64_t checksum_at;    /* 64, 8: file offset of the optional header's CheckSum field */
} tp_certificate_table;

/* An open file. 24 bytes on 64-bit systems. */
typedef struct tp_file {
  uint64_t size; /* 0, 8: the file's size when it was opened */
  void *handle;  /* 8, 8: the file's HANDLE on Windows */
  int32_t fd;    /* 16, 4: its descriptor elsewhere */
} tp_file;

#if defined(_WIN32)
typedef wchar_t tp_path_char;
#else
typedef char tp_path_char;
#endif

/* The sizes above, held to on every compiler (an enum of another size, under -fshort-enums say,
 * stops the compile here). */
typedef char tp_place_is_4_bytes[sizeof(tp_place) == 4 ? 1 : -1];
typedef char tp_chunk_is_24_bytes[sizeof(tp_chunk) == 24 ? 1 : -1];
typedef char tp_certificate_table_is_72_bytes[sizeof(tp_certificate_table) == 72 ? 1 : -1];

/* Sources. A source over bytes in memory, which must outlive it. */
TP_API tp_source tp_memory_source(const void *bytes, uint64_t size);
/* Reads n bytes at offset, checking the range against the source's size first. */
TP_API int tp_read(const tp_source *source, uint64_t offset, void *out, size_t n, tp_error *error);

/* The PE certificate table of a source. The table is filled as far as it was read even when a read fails. */
TP_API int tp_find_certificate_table(const tp_source *source, tp_certificate_table *table, tp_error *error);

/* Listing and finding chunks. buffer holds the blocks the walk reads the trailers in: at least 64
 * bytes, TP_BLOCK_SIZE for the fewest reads; ignored (NULL will do) for a source in memory. */

/* The number of chunks of source. */
TP_API int tp_count_chunks(const tp_source *source, char *buffer, size_t capacity, uint64_t *count, tp_error *error);
/* The chunks of source, oldest first, into chunks[0 .. *count): 0; 1 when there are more than
 * max_chunks (*count tells how many: call again with room for them; chunks then holds no
 * listing); or -1. One walk over the trailers. */
TP_API int tp_list_chunks(const tp_source *source, char *buffer, size_t capacity, tp_chunk *chunks, size_t max_chunks,
                          uint64_t *count, tp_error *error);
/* Chunk index (0-based, oldest first): 1 and *chunk, 0 when there is no such chunk, or -1. */
TP_API int tp_find_index(const tp_source *source, uint64_t index, char *buffer, size_t capacity, tp_chunk *chunk,
                         tp_error *error);
/* The newest chunk of that kind: 1 and *chunk, 0, or -1. The kind is matched exactly, byte for
 * byte as stored ("cfg" does not find "CFG"); a kind of 1 or 2 bytes finds the field that holds
 * it right-aligned ("AB" finds " AB"). A kind that is not 1 to 3 bytes long is refused (-1). */
TP_API int tp_find_kind(const tp_source *source, const char *kind, size_t kind_size, char *buffer, size_t capacity,
                        tp_chunk *chunk, tp_error *error);
/* 0 when the chunk's data lies inside the source, or -1. */
TP_API int tp_check_chunk(const tp_source *source, const tp_chunk *chunk, tp_error *error);
/* Reads the chunk's length bytes of data into out. */
TP_API int tp_read_chunk(const tp_source *source, const tp_chunk *chunk, void *out, tp_error *error);

/* Files. The file is opened for reading, letting others read, write, rename and delete it. */
TP_API int tp_file_open(tp_file *file, const tp_path_char *path, tp_error *error);
/* The running program's own file (see tp_self_path); its path is held on the stack meanwhile (64
 * KiB on Windows, 4 KiB elsewhere). */
TP_API int tp_file_open_self(tp_file *file, tp_error *error);
/* A source over the open file, which must outlive it. */
TP_API tp_source tp_file_source(tp_file *file);
TP_API void tp_file_close(tp_file *file);

/* The running program's path, for messages, NUL-terminated in buffer, its length in *length: 0;
 * 1 when capacity is too small (try twice as much); or -1. */
TP_API int tp_self_name(tp_path_char *buffer, size_t capacity, size_t *length, tp_error *error);
/* The file to open to read the running program, as tp_self_name. On Linux it is /proc/self/exe,
 * which stays the running program's file even after another was renamed over its name: it means
 * this process's file only, so hand it to no other process. */
TP_API int tp_self_path(tp_path_char *buffer, size_t capacity, size_t *length, tp_error *error);

/* ------------------------------------------------------------------------------------------------
 * Internals: the walk itself, for stowr's store and tailpack_reader.h. Not exported by libtailpack. */

/* A DER element: its tag, where it begins, where its contents begin and where it ends. */
typedef struct tp_der_element {
  unsigned char tag;
  uint64_t at, content, end;
} tp_der_element;

/* The unauthenticated attribute of the last signer that holds chunks inside a signature blob:
 * OID 1.3.6.1.4.1.42921.1.2.1, the one used for an unauthenticated data blob, with one OCTET
 * STRING value: zero bytes, then the chunks. */
#define TP_CHUNK_ATTRIBUTE_OID "\x06\x0b\x2b\x06\x01\x04\x01\x82\xcf\x29\x01\x02\x01"
#define TP_CHUNK_ATTRIBUTE_OID_SIZE 13u

/* The elements that hold the last signer of a PKCS#7 signature blob, each the last element of the
 * one before and all ending where the blob ends: the ContentInfo, its [0], the SignedData, its
 * signerInfos SET and the last SignerInfo (count 5); then its unauthenticated attributes [1]
 * (count 6); then, when the last of those is the chunk attribute, the attribute, its value SET
 * and the OCTET STRING (count 9). count 0: a blob of another shape. */
#define TP_SIGNER_LEVELS 9
typedef struct tp_signer_chain {
  tp_der_element levels[TP_SIGNER_LEVELS];
  int count;
} tp_signer_chain;

/* The bytes of a source read backwards in blocks held in the caller's buffer: a walk asks for the
 * bytes in front of a position, and a new block is read only when the block held does not
 * contain them. A block that served one request is followed by a small one (large chunks cost a
 * few KiB per trailer), one that served more by one twice as large, up to the buffer's capacity.
 * A source in memory is held whole and needs no buffer. */
typedef struct tp_blocks {
  tp_source source;
  char *buffer;
  size_t capacity;
  const char *base;     /* the bytes of [start, end) */
  uint64_t start, end;  /* the range of the source held */
  size_t want;          /* the size of the block read last */
  size_t served;        /* requests it served */
} tp_blocks;

/* One chunk as the walk finds it. */
typedef struct tp_trailer {
  char kind[3];      /* the kind field as stored; shorter only at the start of a region */
  size_t kind_size;
  uint32_t length;   /* the value of the length field */
  uint64_t offset;   /* 0-based position of the first data byte */
  uint64_t start;    /* where the chunk begins: offset, or the zero padding in front of it */
  uint64_t end;      /* where its trailer ends */
  int whole;         /* 0: the length is larger than what stands in front (damaged) */
  tp_place place;
} tp_trailer;

/* A stretch of the file in which chunks stand, walked back from end as a file of its own. */
typedef struct tp_region {
  uint64_t floor, end;
  tp_place place;
} tp_region;

/* A walk over every chunk of a source, newest first. */
typedef struct tp_walk {
  tp_blocks blocks;
  tp_certificate_table table;
  tp_region regions[2]; /* newest first */
  int count;            /* regions */
  int region;           /* the region walked now */
  uint64_t remaining;   /* where the walk of that region goes on */
  uint64_t body;        /* where the walk of the oldest chunks stopped: the executable's own bytes end there */
} tp_walk;

/* The value of a length field: hexadecimal digits of either case up to the first other character
 * (no digit gives 0), kept to 32 bits. */
uint32_t tp_parse_length(const char *field, size_t size);
/* 1 when the bytes hold a byte of value 0 (the chunk is Binary), 0 when not (Text). */
int tp_is_binary(const void *bytes, size_t n);
int tp_file_read(const tp_file *file, uint64_t offset, void *out, size_t n, tp_error *error);

/* The DER element at `at`, which must end by `end` (definite length, low tag number): 0, 1 when
 * there is none such, or -1. */
int tp_der_element_at(const tp_source *source, uint64_t at, uint64_t end, tp_der_element *element, tp_error *error);

/* The signer chain of the DER blob [at, end) of source: 0 (count 0 for another shape) or -1. */
int tp_find_signer_chain(const tp_source *source, uint64_t at, uint64_t end, tp_signer_chain *chain, tp_error *error);

/* capacity: at least 64 bytes, TP_BLOCK_SIZE for the fewest reads; ignored for a source in memory. */
int tp_blocks_init(tp_blocks *blocks, const tp_source *source, char *buffer, size_t capacity, tp_error *error);
/* The n bytes in front of end (n at most 64, end at most the size), or NULL with the reason in error. */
const char *tp_blocks_before(tp_blocks *blocks, uint64_t end, size_t n, tp_error *error);
/* Reads the block of up to capacity bytes from start on, for a caller about to walk forwards. */
int tp_blocks_load(tp_blocks *blocks, uint64_t start, tp_error *error);
/* 1 when the bytes [offset, offset + n) are held; tp_blocks_at(offset) then points at them. */
int tp_blocks_holds(const tp_blocks *blocks, uint64_t offset, uint64_t n);
const char *tp_blocks_at(const tp_blocks *blocks, uint64_t offset);

/* The regions of a file, newest first: the whole file; or, when its certificate table holds
 * chunks, the part of the table that holds them (the value of the blob's chunk attribute, or what
 * stands behind the blob) and then the part of the file between
 * the headers and the table (and its padding). Sets *count to 1 or 2. */
int tp_find_regions(tp_blocks *blocks, const tp_certificate_table *table, tp_region regions[2], int *count,
                    tp_error *error);
/* The next chunk of the region [floor, *remaining), walked back from *remaining, which moves to
 * where the walk goes on: 1 and the chunk in trailer, 0 at the end of the region, or -1. A
 * trailer whose length is larger than what stands in front of it is still a chunk (starting right
 * behind its length field), and the walk goes on only if that length field ends with the marker.
 * Chunks inside a certificate table (place TP_PLACE_SIGNATURE) carry zero bytes in front that
 * keep the table a multiple of 8 long, and a damaged one there is the oldest and begins where the
 * region does: what stands in front of its trailer is padding that edits change, not chunks. */
int tp_walk_step(tp_blocks *blocks, uint64_t floor, uint64_t *remaining, tp_place place, tp_trailer *trailer,
                 tp_error *error);

/* Finds the certificate table and the regions of source: 0 or -1. */
int tp_walk_start(tp_walk *walk, const tp_source *source, char *buffer, size_t capacity, tp_error *error);
/* The next chunk, newest first: 1, 0 when there is none left, or -1. */
int tp_walk_next(tp_walk *walk, tp_trailer *trailer, tp_error *error);
void tp_chunk_of(const tp_trailer *trailer, tp_chunk *chunk);

#ifdef __cplusplus
}
#endif

#endif /* TAILPACK_H_INCLUDED */

/* ------------------------------------------------------------------------------------------------
 * The implementation: once per program, or inline in every C++ file that defines
 * TAILPACK_INLINE_IMPLEMENTATION before including this (as tailpack_reader.h does). */
#if (defined(TAILPACK_IMPLEMENTATION) || defined(TAILPACK_INLINE_IMPLEMENTATION)) && !defined(TAILPACK_IMPLEMENTED)
#define TAILPACK_IMPLEMENTED

#include <string.h>

#if defined(_WIN32)
#include <stdarg.h>
#include <wchar.h>
#else
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#if defined(__APPLE__)
#include <limits.h>
#include <mach-o/dyld.h>
#include <stdlib.h>
#endif
#endif

#if defined(__cplusplus) && defined(TAILPACK_INLINE_IMPLEMENTATION) && !defined(TAILPACK_IMPLEMENTATION)
#define TP_DEF inline
#define TPI_DEF inline
#if defined(__GNUC__) || defined(__clang__)
#define TPI_STEP __attribute__((always_inline)) /* a walk's steps, run once per chunk, in its loop */
#endif
#else
#define TP_DEF
#define TPI_DEF static
#endif
#if !defined(TPI_STEP)
#define TPI_STEP
#endif

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
/* The Win32 calls made here, declared as <windows.h> declares them, so that a file may include
 * both. */
#if defined(_M_IX86) || defined(__i386__)
#define TPI_WINAPI __stdcall
#else
#define TPI_WINAPI
#endif
struct _SECURITY_ATTRIBUTES;
struct _OVERLAPPED;
struct _BY_HANDLE_FILE_INFORMATION;
struct HINSTANCE__;
__declspec(dllimport) void *TPI_WINAPI CreateFileW(const wchar_t *, unsigned long, unsigned long,
                                                   struct _SECURITY_ATTRIBUTES *, unsigned long, unsigned long, void *);
__declspec(dllimport) int TPI_WINAPI ReadFile(void *, void *, unsigned long, unsigned long *, struct _OVERLAPPED *);
__declspec(dllimport) int TPI_WINAPI GetFileInformationByHandle(void *, struct _BY_HANDLE_FILE_INFORMATION *);
__declspec(dllimport) int TPI_WINAPI CloseHandle(void *);
__declspec(dllimport) unsigned long TPI_WINAPI GetLastError(void);
__declspec(dllimport) unsigned long TPI_WINAPI FormatMessageA(unsigned long, const void *, unsigned long, unsigned long,
                                                              char *, unsigned long, va_list *);
__declspec(dllimport) unsigned long TPI_WINAPI GetModuleFileNameW(struct HINSTANCE__ *, wchar_t *, unsigned long);
#endif

TPI_DEF int tpi_fail(tp_error *error, const char *text) {
  size_t n = strlen(text);
  if (n >= TP_ERROR_SIZE) n = TP_ERROR_SIZE - 1;
  memcpy(error->text, text, n);
  error->text[n] = '\0';
  return -1;
}

TPI_DEF uint64_t tpi_min64(uint64_t a, uint64_t b) { return a < b ? a : b; }

TPI_DEF int tpi_read_memory(void *context, uint64_t offset, void *out, size_t n, tp_error *error) {
  (void)error;
  memcpy(out, (const char *)context + (size_t)offset, n); /* the range was checked by the caller */
  return 0;
}

TP_DEF tp_source tp_memory_source(const void *bytes, uint64_t size) {
  tp_source source;
  source.size = size;
  source.context = (void *)(uintptr_t)bytes;
  source.read_at = tpi_read_memory;
  source.memory = (const char *)bytes;
  return source;
}

TP_DEF int tp_read(const tp_source *source, uint64_t offset, void *out, size_t n, tp_error *error) {
  if (offset > source->size || n > source->size - offset) return tpi_fail(error, "Read beyond the end of the file");
  return n == 0 ? 0 : source->read_at(source->context, offset, out, n, error);
}

/* The value of each byte as a hexadecimal digit of either case, or -1. */
TPI_DEF const signed char *tpi_hex_digits(void) {
  static const signed char digits[256] = {
      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, -1, -1, -1, -1, -1, -1,
      -1, 10, 11, 12, 13, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
      -1, 10, 11, 12, 13, 14, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
      -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
  };
  return digits;
}

TP_DEF TPI_STEP uint32_t tp_parse_length(const char *field, size_t size) {
  const signed char *digits = tpi_hex_digits();
  uint32_t value = 0;
  size_t i;
  if (size == 8) { /* the usual case: eight digits, looked up independently of each other */
    const unsigned char *f = (const unsigned char *)field;
    int d0 = digits[f[0]], d1 = digits[f[1]], d2 = digits[f[2]], d3 = digits[f[3]];
    int d4 = digits[f[4]], d5 = digits[f[5]], d6 = digits[f[6]], d7 = digits[f[7]];
    if ((d0 | d1 | d2 | d3 | d4 | d5 | d6 | d7) >= 0)
      return (uint32_t)d0 << 28 | (uint32_t)d1 << 24 | (uint32_t)d2 << 20 | (uint32_t)d3 << 16 |
             (uint32_t)d4 << 12 | (uint32_t)d5 << 8 | (uint32_t)d6 << 4 | (uint32_t)d7;
  }
  for (i = 0; i < size; ++i) {
    int digit = digits[(unsigned char)field[i]];
    if (digit < 0) break;
    value = (value << 4) | (uint32_t)digit;
  }
  return value;
}

TP_DEF int tp_is_binary(const void *bytes, size_t n) { return n > 0 && memchr(bytes, 0, n) != NULL; }

TPI_DEF uint32_t tpi_little_endian(const unsigned char *p, int bytes) {
  uint32_t value = 0;
  int i;
  for (i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

/* The PE security directory (data directory 4; its address is a file offset). Anything that is
 * not a well-formed PE header, or a table that leaves the file or overlaps the headers, counts as
 * no table. */
TPI_DEF int tpi_find_directory(const tp_source *source, tp_certificate_table *table, tp_error *error) {
  unsigned char dos[64], pe[24], optional[152];
  uint64_t pe_at, optional_size, optional_at, address, size;
  uint32_t magic;
  size_t count_at, entry_at, want;
  memset(table, 0, sizeof *table);
  if (source->size < sizeof dos) return 0;
  if (tp_read(source, 0, dos, sizeof dos, error) != 0) return -1;
  if (dos[0] != 'M' || dos[1] != 'Z') return 0;
  pe_at = tpi_little_endian(dos + 0x3C, 4);
  if (pe_at + sizeof pe > source->size) return 0;
  if (tp_read(source, pe_at, pe, sizeof pe, error) != 0) return -1;
  if (memcmp(pe, "PE\0\0", 4) != 0) return 0;
  optional_size = tpi_little_endian(pe + 20, 2);
  optional_at = pe_at + sizeof pe;
  memset(optional, 0, sizeof optional);
  want = (size_t)tpi_min64(optional_size, sizeof optional);
  if (optional_at + optional_size > source->size) return 0;
  if (tp_read(source, optional_at, optional, want, error) != 0) return -1;
  magic = tpi_little_endian(optional, 2);
  count_at = magic == 0x20B ? 108 : magic == 0x10B ? 92 : 0;
  if (count_at == 0) return 0;
  entry_at = count_at + 4 + 4 * 8; /* data directories follow the count, 8 bytes each */
  if (optional_size < entry_at + 8 || tpi_little_endian(optional + count_at, 4) < 5) return 0;
  address = tpi_little_endian(optional + entry_at, 4);
  size = tpi_little_endian(optional + entry_at + 4, 4);
  if (size == 0 || address < optional_at + optional_size || address + size > source->size) return 0;
  table->present = 1;
  table->at_end = address + size == source->size;
  table->offset = address;
  table->size = size;
  table->directory_at = optional_at + entry_at;
  table->checksum_at = optional_at + 64;
  table->headers_end = optional_at + optional_size;
  return 0;
}

/* The length of the DER element at the start of der (tag, length field and contents), or 0 when
 * it is not a SEQUENCE of definite length. */
TPI_DEF uint64_t tpi_der_length(const unsigned char *der, size_t available) {
  size_t digits, i;
  uint64_t length = 0;
  if (available < 2 || der[0] != 0x30) return 0;
  if (der[1] < 0x80) return 2 + (uint64_t)der[1];
  digits = der[1] & 0x7Fu;
  if (digits == 0 || digits > 4 || available < 2 + digits) return 0;
  for (i = 0; i < digits; ++i) length = (length << 8) | der[2 + i];
  return 2 + digits + length;
}

/* The DER element at `at`, which must end by `end`: 0, 1 when there is none such, or -1. */
TPI_DEF int tpi_der_element(const tp_source *source, uint64_t at, uint64_t end, tp_der_element *element,
                            tp_error *error) {
  unsigned char head[6];
  size_t n = (size_t)tpi_min64(end - at, sizeof head), digits, i;
  uint64_t length = 0;
  if (at >= end || n < 2) return 1;
  if (tp_read(source, at, head, n, error) != 0) return -1;
  if ((head[0] & 0x1F) == 0x1F) return 1;
  if (head[1] < 0x80) {
    length = head[1];
    digits = 0;
  } else {
    digits = head[1] & 0x7Fu;
    if (digits == 0 || digits > 4 || n < 2 + digits) return 1;
    for (i = 0; i < digits; ++i) length = (length << 8) | head[2 + i];
  }
  element->tag = head[0];
  element->at = at;
  element->content = at + 2 + digits;
  element->end = element->content + length;
  return element->end <= end ? 0 : 1;
}

TP_DEF int tp_der_element_at(const tp_source *source, uint64_t at, uint64_t end, tp_der_element *element,
                             tp_error *error) {
  return tpi_der_element(source, at, end, element, error);
}

/* The last element inside parent, which must have tag: 0, 1 when there is none such, or -1. */
TPI_DEF int tpi_der_last(const tp_source *source, const tp_der_element *parent, unsigned char tag,
                         tp_der_element *child, tp_error *error) {
  uint64_t at = parent->content;
  int got;
  while ((got = tpi_der_element(source, at, parent->end, child, error)) == 0 && child->end < parent->end)
    at = child->end;
  return got != 0 ? got : child->tag == tag ? 0 : 1;
}

TP_DEF int tp_find_signer_chain(const tp_source *source, uint64_t at, uint64_t end, tp_signer_chain *chain,
                                tp_error *error) {
  static const unsigned char kTags[TP_SIGNER_LEVELS] = {0x30, 0xA0, 0x30, 0x31, 0x30, 0xA1, 0x30, 0x31, 0x04};
  unsigned char oid[TP_CHUNK_ATTRIBUTE_OID_SIZE];
  tp_der_element *levels = chain->levels;
  int got, i;
  chain->count = 0;
  got = tpi_der_element(source, at, end, &levels[0], error);
  if (got != 0 || levels[0].tag != 0x30 || levels[0].end != end) return got < 0 ? -1 : 0;
  for (i = 1; i < TP_SIGNER_LEVELS; ++i) {
    got = tpi_der_last(source, &levels[i - 1], kTags[i], &levels[i], error);
    if (got < 0) return -1;
    if (got > 0) break;
    if (i == 6) { /* the attribute: the chunk attribute's OID, then its value SET */
      if (levels[6].end - levels[6].content < sizeof oid) break;
      if (tp_read(source, levels[6].content, oid, sizeof oid, error) != 0) return -1;
      if (memcmp(oid, TP_CHUNK_ATTRIBUTE_OID, sizeof oid) != 0) break;
    }
    if (i == 7 && levels[7].at != levels[6].content + sizeof oid) break;
    if (i == 8 && levels[8].at != levels[7].content) break;
  }
  chain->count = i >= 5 ? (i < 6 ? 5 : i < 9 ? 6 : 9) : 0;
  return 0;
}

/* Whether a table at the end of the file can hold chunks: aligned to 8 bytes and a multiple of 8
 * long, holding exactly one certificate entry whose dwLength agrees with the directory's size, of
 * type PKCS#7 signed data, whose signature blob has a known length within the entry. Any other
 * table is left alone: files with such tables are read from their end. */
TPI_DEF int tpi_check_holds_chunks(const tp_source *source, tp_certificate_table *table, tp_error *error) {
  unsigned char entry[14];
  uint32_t length;
  uint64_t blob;
  tp_signer_chain chain;
  if (!table->present || !table->at_end || table->offset % 8 != 0 || table->size % 8 != 0 || table->size < 16) return 0;
  if (tp_read(source, table->offset, entry, sizeof entry, error) != 0) return -1;
  length = tpi_little_endian(entry, 4);
  if (length < 8 || ((uint64_t)length + 7) / 8 * 8 != table->size || tpi_little_endian(entry + 6, 2) != 2) return 0;
  blob = tpi_der_length(entry + 8, sizeof entry - 8);
  if (blob == 0 || blob > length - 8) return 0;
  table->holds_chunks = 1;
  table->entry_length = length;
  table->signature_end = table->offset + 8 + blob;
  if (tp_find_signer_chain(source, table->offset + 8, table->signature_end, &chain, error) != 0) return -1;
  if (chain.count == TP_SIGNER_LEVELS) table->chunks_at = chain.levels[TP_SIGNER_LEVELS - 1].content;
  return 0;
}

TP_DEF int tp_find_certificate_table(const tp_source *source, tp_certificate_table *table, tp_error *error) {
  if (tpi_find_directory(source, table, error) != 0) return -1;
  return tpi_check_holds_chunks(source, table, error);
}

#define TPI_FIRST_BLOCK 4096u

TP_DEF int tp_blocks_init(tp_blocks *blocks, const tp_source *source, char *buffer, size_t capacity,
                          tp_error *error) {
  memset(blocks, 0, sizeof *blocks);
  blocks->source = *source;
  blocks->buffer = buffer;
  blocks->capacity = capacity;
  if (source->memory != NULL) {
    blocks->base = source->memory;
    blocks->end = source->size;
    return 0;
  }
  if (buffer == NULL || capacity < 64) return tpi_fail(error, "The walk's buffer is too small");
  blocks->want = capacity < TPI_FIRST_BLOCK ? capacity : TPI_FIRST_BLOCK;
  return 0;
}

TPI_DEF int tpi_fill(tp_blocks *blocks, uint64_t start, uint64_t end, tp_error *error) {
  blocks->base = blocks->buffer;
  blocks->start = blocks->end = 0;
  if (tp_read(&blocks->source, start, blocks->buffer, (size_t)(end - start), error) != 0) return -1;
  blocks->start = start;
  blocks->end = end;
  return 0;
}

TP_DEF TPI_STEP int tp_blocks_holds(const tp_blocks *blocks, uint64_t offset, uint64_t n) {
  return offset >= blocks->start && offset <= blocks->end && n <= blocks->end - offset;
}

TP_DEF TPI_STEP const char *tp_blocks_at(const tp_blocks *blocks, uint64_t offset) {
  return blocks->base + (size_t)(offset - blocks->start);
}

TP_DEF TPI_STEP const char *tp_blocks_before(tp_blocks *blocks, uint64_t end, size_t n, tp_error *error) {
  if (tp_blocks_holds(blocks, end - n, n)) {
    ++blocks->served;
  } else {
    size_t first = blocks->capacity < TPI_FIRST_BLOCK ? blocks->capacity : TPI_FIRST_BLOCK;
    size_t twice = blocks->want <= blocks->capacity / 2 ? blocks->want * 2 : blocks->capacity;
    blocks->want = blocks->served > 1 ? twice : first;
    blocks->served = 1;
    if (tpi_fill(blocks, end > blocks->want ? end - blocks->want : 0, end, error) != 0) return NULL;
  }
  return tp_blocks_at(blocks, end - n);
}

TP_DEF int tp_blocks_load(tp_blocks *blocks, uint64_t start, tp_error *error) {
  if (blocks->source.memory != NULL) return 0;
  start = tpi_min64(start, blocks->source.size);
  return tpi_fill(blocks, start, start + tpi_min64(blocks->capacity, blocks->source.size - start), error);
}

/* Where the chunks in front of a certificate table end: at the table, or, when up to 7 zero bytes
 * of alignment padding stand between the last marker and the table, in front of them. */
TPI_DEF uint64_t tpi_front_end(tp_blocks *blocks, const tp_certificate_table *table, tp_error *error, int *failed) {
  const uint64_t end = table->offset, room = end - table->headers_end;
  size_t n, zeros = 0;
  const char *bytes;
  if (room < TP_MARKER_SIZE) return end;
  n = (size_t)tpi_min64(room, TP_MARKER_SIZE + 7);
  bytes = tp_blocks_before(blocks, end, n, error);
  if (bytes == NULL) {
    *failed = 1;
    return end;
  }
  while (zeros < 7 && zeros < n && bytes[n - 1 - zeros] == 0) ++zeros;
  if (n - zeros >= TP_MARKER_SIZE && memcmp(bytes + n - zeros - TP_MARKER_SIZE, TP_MARKER, TP_MARKER_SIZE) == 0)
    return end - zeros;
  return end;
}

TP_DEF int tp_find_regions(tp_blocks *blocks, const tp_certificate_table *table, tp_region regions[2], int *count,
                           tp_error *error) {
  int failed = 0;
  uint64_t front_end;
  *count = 0;
  if (!table->holds_chunks) {
    regions[0].floor = 0;
    regions[0].end = blocks->source.size;
    regions[0].place = TP_PLACE_END;
    *count = 1;
    return 0;
  }
  front_end = tpi_front_end(blocks, table, error, &failed);
  if (failed) return -1;
  regions[0].floor = table->chunks_at != 0 ? table->chunks_at : table->signature_end;
  regions[0].end = blocks->source.size;
  regions[0].place = TP_PLACE_SIGNATURE;
  regions[1].floor = table->headers_end;
  regions[1].end = front_end;
  regions[1].place = TP_PLACE_FRONT;
  *count = 2;
  return 0;
}

TP_DEF TPI_STEP int tp_walk_step(tp_blocks *blocks, uint64_t floor, uint64_t *remaining, tp_place place, tp_trailer *trailer,
                        tp_error *error) {
  uint64_t left = *remaining;
  size_t n, kind_size, field_size, i;
  const char *bytes;
  if (left - floor < TP_MARKER_SIZE) return 0;
  n = (size_t)tpi_min64(left - floor, TP_TRAILER_SIZE);
  bytes = tp_blocks_before(blocks, left, n, error);
  if (bytes == NULL) return -1;
  if (memcmp(bytes + n - TP_MARKER_SIZE, TP_MARKER, TP_MARKER_SIZE) != 0) return 0;
  trailer->end = left;
  kind_size = n - TP_MARKER_SIZE < 3 ? n - TP_MARKER_SIZE : 3;
  field_size = n - TP_MARKER_SIZE - kind_size;
  if (kind_size == 3) {
    memcpy(trailer->kind, bytes + field_size, 3);
  } else {
    for (i = 0; i < kind_size; ++i) trailer->kind[i] = bytes[field_size + i];
  }
  trailer->kind_size = kind_size;
  trailer->length = tp_parse_length(bytes, field_size);
  trailer->place = place;
  left -= TP_MARKER_SIZE + kind_size;
  trailer->whole = left - floor >= (uint64_t)trailer->length + 8;
  if (trailer->whole) left -= (uint64_t)trailer->length + 8;
  trailer->offset = trailer->start = left;
  if (place == TP_PLACE_SIGNATURE && trailer->whole) {
    size_t padding = (size_t)((8 - ((uint64_t)trailer->length + TP_TRAILER_SIZE) % 8) % 8);
    if (padding > 0 && left - floor >= padding) {
      const char *zeros = tp_blocks_before(blocks, left, padding, error);
      int all = 1;
      if (zeros == NULL) return -1;
      for (i = 0; i < padding; ++i) all &= zeros[i] == 0;
      if (all) left -= padding;
    }
    trailer->start = left;
  }
  if (place == TP_PLACE_SIGNATURE && !trailer->whole) trailer->start = left = floor;
  *remaining = left;
  return 1;
}

TP_DEF int tp_walk_start(tp_walk *walk, const tp_source *source, char *buffer, size_t capacity, tp_error *error) {
  memset(walk, 0, sizeof *walk);
  walk->body = source->size;
  if (tp_find_certificate_table(source, &walk->table, error) != 0) return -1;
  if (tp_blocks_init(&walk->blocks, source, buffer, capacity, error) != 0) return -1;
  if (tp_find_regions(&walk->blocks, &walk->table, walk->regions, &walk->count, error) != 0) return -1;
  walk->remaining = walk->body = walk->regions[0].end;
  return 0;
}

TP_DEF int tp_walk_next(tp_walk *walk, tp_trailer *trailer, tp_error *error) {
  while (walk->region < walk->count) {
    const tp_region *region = &walk->regions[walk->region];
    int got = tp_walk_step(&walk->blocks, region->floor, &walk->remaining, region->place, trailer, error);
    if (got > 0) walk->body = trailer->start;
    if (got != 0) return got;
    if (++walk->region < walk->count) walk->remaining = walk->body = walk->regions[walk->region].end;
  }
  return 0;
}

TP_DEF void tp_chunk_of(const tp_trailer *trailer, tp_chunk *chunk) {
  size_t i;
  memset(chunk, 0, sizeof *chunk);
  for (i = 0; i < trailer->kind_size && i < 3 && trailer->kind[i] != '\0'; ++i) chunk->kind[i] = trailer->kind[i];
  chunk->length = trailer->length;
  chunk->offset = trailer->offset;
  chunk->place = trailer->place;
}

TP_DEF int tp_count_chunks(const tp_source *source, char *buffer, size_t capacity, uint64_t *count, tp_error *error) {
  tp_walk walk;
  tp_trailer trailer;
  int got;
  *count = 0;
  if (tp_walk_start(&walk, source, buffer, capacity, error) != 0) return -1;
  while ((got = tp_walk_next(&walk, &trailer, error)) > 0) ++*count;
  return got;
}

TP_DEF int tp_list_chunks(const tp_source *source, char *buffer, size_t capacity, tp_chunk *chunks, size_t max_chunks,
                          uint64_t *count, tp_error *error) {
  tp_walk walk;
  tp_trailer trailer;
  size_t i;
  int got;
  *count = 0;
  if (tp_walk_start(&walk, source, buffer, capacity, error) != 0) return -1;
  while ((got = tp_walk_next(&walk, &trailer, error)) > 0) {
    if (*count < max_chunks) tp_chunk_of(&trailer, &chunks[*count]);
    ++*count;
  }
  if (got < 0) return -1;
  if (*count > max_chunks) return 1;
  for (i = 0; i < *count / 2; ++i) { /* found newest first */
    tp_chunk older = chunks[*count - 1 - i];
    chunks[*count - 1 - i] = chunks[i];
    chunks[i] = older;
  }
  return 0;
}

TP_DEF int tp_find_index(const tp_source *source, uint64_t index, char *buffer, size_t capacity, tp_chunk *chunk,
                         tp_error *error) {
  tp_walk walk;
  tp_trailer trailer;
  uint64_t count = 0, seen = 0;
  int got;
  if (tp_count_chunks(source, buffer, capacity, &count, error) != 0) return -1;
  if (index >= count) return 0;
  if (tp_walk_start(&walk, source, buffer, capacity, error) != 0) return -1;
  while ((got = tp_walk_next(&walk, &trailer, error)) > 0) {
    if (seen++ == count - 1 - index) {
      tp_chunk_of(&trailer, chunk);
      return 1;
    }
  }
  return got < 0 ? -1 : 0;
}

TP_DEF int tp_find_kind(const tp_source *source, const char *kind, size_t kind_size, char *buffer, size_t capacity,
                        tp_chunk *chunk, tp_error *error) {
  char wanted[3];
  tp_walk walk;
  tp_trailer trailer;
  int got;
  if (kind_size < 1 || kind_size > 3) return tpi_fail(error, "A kind is 1 to 3 bytes long");
  /* A kind as the kind field holds it: shorter kinds are right-aligned with spaces. */
  memset(wanted, ' ', sizeof wanted);
  memcpy(wanted + 3 - kind_size, kind, kind_size);
  if (tp_walk_start(&walk, source, buffer, capacity, error) != 0) return -1;
  while ((got = tp_walk_next(&walk, &trailer, error)) > 0) {
    size_t n = 0;
    while (n < trailer.kind_size && trailer.kind[n] != '\0') ++n;
    if (n == 3 && memcmp(trailer.kind, wanted, 3) == 0) {
      tp_chunk_of(&trailer, chunk);
      return 1;
    }
  }
  return got;
}

TP_DEF int tp_check_chunk(const tp_source *source, const tp_chunk *chunk, tp_error *error) {
  if (chunk->offset > source->size || chunk->length > source->size - chunk->offset)
    return tpi_fail(error, "The chunk reaches beyond the end of the file");
  return 0;
}

TP_DEF int tp_read_chunk(const tp_source *source, const tp_chunk *chunk, void *out, tp_error *error) {
  if (tp_check_chunk(source, chunk, error) != 0) return -1;
  return tp_read(source, chunk->offset, out, chunk->length, error);
}

/* Files. stowr's own file calls (platform/files_*.cpp, platform::ModulePath) read at an offset the
 * same way (pread; ReadFile at OVERLAPPED offsets in steps of 1 GiB) but stay apart from these,
 * which stand alone, allocate nothing and take wide paths on Windows: they return a Status that
 * tells a missing file apart, with texts of any length and their own ("Unexpected end of file"
 * for a short read, "Error N" for a Windows error without a message); on Windows they open ANSI
 * paths (the program's code page is UTF-8), let only readers share the file and wait about a
 * second for a file another program holds; the program's path is the ANSI one, and on Linux the
 * link's text as it is, where tp_self_path gives "/proc/self/exe". */
TPI_DEF int tpi_read_file(void *context, uint64_t offset, void *out, size_t n, tp_error *error) {
  return tp_file_read((const tp_file *)context, offset, out, n, error);
}

TP_DEF tp_source tp_file_source(tp_file *file) {
  tp_source source;
  source.size = file->size;
  source.context = file;
  source.read_at = tpi_read_file;
  source.memory = NULL;
  return source;
}

TPI_DEF int tpi_short_read(tp_error *error) {
  return tpi_fail(error, "The file ended early (changed while being read?)");
}

#if defined(_WIN32)

/* The system's message for a Win32 error code, without the line break and full stop at its end. */
TPI_DEF int tpi_fail_code(tp_error *error, unsigned long code) {
  unsigned long n = FormatMessageA(0x1000 | 0x200 /* FROM_SYSTEM, IGNORE_INSERTS */, NULL, code, 0, error->text,
                                   TP_ERROR_SIZE, NULL);
  if (n == 0 || n >= TP_ERROR_SIZE) {
    static const char kDigits[] = "0123456789";
    char number[16];
    size_t length = 0, i;
    do number[length++] = kDigits[code % 10]; while ((code /= 10) != 0);
    memcpy(error->text, "Windows error ", 14);
    for (i = 0; i < length; ++i) error->text[14 + i] = number[length - 1 - i];
    error->text[14 + length] = '\0';
    return -1;
  }
  while (n > 0 && (error->text[n - 1] == '\n' || error->text[n - 1] == '\r' || error->text[n - 1] == ' ' ||
                   error->text[n - 1] == '.'))
    --n;
  error->text[n] = '\0';
  return -1;
}

#define TPI_NO_HANDLE ((void *)(intptr_t)-1)

/* The layout of OVERLAPPED: two ULONG_PTRs, the offset as two DWORDs, the event HANDLE. */
typedef struct tpi_overlapped {
  uintptr_t internal, internal_high;
  unsigned long offset, offset_high;
  void *event;
} tpi_overlapped;

TP_DEF int tp_file_open(tp_file *file, const tp_path_char *path, tp_error *error) {
  unsigned long info[13]; /* BY_HANDLE_FILE_INFORMATION: attributes, 3 times, volume, size high and low, ... */
  file->size = 0;
  file->fd = -1;
  file->handle = CreateFileW(path, 0x80000000ul /* GENERIC_READ */, 1 | 2 | 4 /* share read, write, delete */, NULL,
                             3 /* OPEN_EXISTING */, 0x80 /* FILE_ATTRIBUTE_NORMAL */, NULL);
  if (file->handle == TPI_NO_HANDLE) return tpi_fail_code(error, GetLastError());
  if (!GetFileInformationByHandle(file->handle, (struct _BY_HANDLE_FILE_INFORMATION *)(void *)info)) {
    tpi_fail_code(error, GetLastError());
    tp_file_close(file);
    return -1;
  }
  if (info[0] & 0x10 /* FILE_ATTRIBUTE_DIRECTORY */) {
    tp_file_close(file);
    return tpi_fail(error, "Not a file");
  }
  file->size = ((uint64_t)info[8] << 32) | info[9];
  return 0;
}

TP_DEF int tp_file_read(const tp_file *file, uint64_t offset, void *out, size_t n, tp_error *error) {
  char *to = (char *)out;
  while (n > 0) {
    unsigned long want = (unsigned long)(n < ((size_t)1 << 30) ? n : ((size_t)1 << 30)), got = 0;
    tpi_overlapped at;
    memset(&at, 0, sizeof at);
    at.offset = (unsigned long)(offset & 0xFFFFFFFFu);
    at.offset_high = (unsigned long)(offset >> 32);
    if (!ReadFile(file->handle, to, want, &got, (struct _OVERLAPPED *)(void *)&at))
      return tpi_fail_code(error, GetLastError());
    if (got == 0) return tpi_short_read(error);
    to += got;
    offset += got;
    n -= got;
  }
  return 0;
}

TP_DEF void tp_file_close(tp_file *file) {
  if (file->handle != TPI_NO_HANDLE && file->handle != NULL) CloseHandle(file->handle);
  file->handle = TPI_NO_HANDLE;
}

TP_DEF int tp_self_name(tp_path_char *buffer, size_t capacity, size_t *length, tp_error *error) {
  unsigned long n = GetModuleFileNameW(NULL, buffer, (unsigned long)(capacity < 65536 ? capacity : 65536));
  *length = 0;
  if (n == 0) return tpi_fail_code(error, GetLastError());
  if (n < capacity) {
    *length = n;
    return 0;
  }
  if (capacity >= 32768) return tpi_fail(error, "The program's path is too long");
  return 1;
}

TP_DEF int tp_self_path(tp_path_char *buffer, size_t capacity, size_t *length, tp_error *error) {
  return tp_self_name(buffer, capacity, length, error);
}

#else

typedef char tpi_needs_64_bit_off_t[sizeof(off_t) >= 8 ? 1 : -1]; /* define _FILE_OFFSET_BITS=64 */

TPI_DEF int tpi_fail_code(tp_error *error, int code) { return tpi_fail(error, strerror(code)); }

TP_DEF int tp_file_open(tp_file *file, const tp_path_char *path, tp_error *error) {
  struct stat info;
  file->size = 0;
  file->handle = NULL;
  do file->fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK); /* a FIFO must not block the open */
  while (file->fd < 0 && errno == EINTR);
  if (file->fd < 0) return tpi_fail_code(error, errno);
  if (fstat(file->fd, &info) != 0) {
    tpi_fail_code(error, errno);
    tp_file_close(file);
    return -1;
  }
  if (!S_ISREG(info.st_mode)) {
    tp_file_close(file);
    return tpi_fail(error, "Not a file");
  }
  file->size = (uint64_t)info.st_size;
  return 0;
}

TP_DEF int tp_file_read(const tp_file *file, uint64_t offset, void *out, size_t n, tp_error *error) {
  char *to = (char *)out;
  while (n > 0) {
    size_t want = n < ((size_t)1 << 30) ? n : ((size_t)1 << 30);
    ssize_t got = pread(file->fd, to, want, (off_t)offset);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return tpi_fail_code(error, errno);
    if (got == 0) return tpi_short_read(error);
    to += got;
    offset += (uint64_t)got;
    n -= (size_t)got;
  }
  return 0;
}

TP_DEF void tp_file_close(tp_file *file) {
  if (file->fd >= 0) close(file->fd);
  file->fd = -1;
}

TPI_DEF int tpi_copy_path(const char *path, tp_path_char *buffer, size_t capacity, size_t *length) {
  size_t n = strlen(path);
  *length = 0;
  if (n >= capacity) return 1;
  memcpy(buffer, path, n + 1);
  *length = n;
  return 0;
}

TP_DEF int tp_self_name(tp_path_char *buffer, size_t capacity, size_t *length, tp_error *error) {
#if defined(__linux__)
  static const char kDeleted[] = " (deleted)"; /* the link's text once the name went to another file */
  const size_t deleted = sizeof kDeleted - 1;
  ssize_t got = readlink("/proc/self/exe", buffer, capacity);
  size_t n;
  *length = 0;
  if (got < 0) return tpi_fail_code(error, errno);
  n = (size_t)got;
  if (n >= capacity) return 1;
  if (n > deleted && memcmp(buffer + n - deleted, kDeleted, deleted) == 0) n -= deleted;
  buffer[n] = '\0';
  *length = n;
  return 0;
#elif defined(__APPLE__)
  char path[PATH_MAX], canonical[PATH_MAX];
  uint32_t size = sizeof path;
  if (_NSGetExecutablePath(path, &size) != 0) return tpi_fail(error, "The program's path is not available");
  return tpi_copy_path(realpath(path, canonical) != NULL ? canonical : path, buffer, capacity, length);
#else
  (void)buffer;
  (void)capacity;
  *length = 0;
  return tpi_fail(error, "Finding the program's own file is not supported on this system");
#endif
}

TP_DEF int tp_self_path(tp_path_char *buffer, size_t capacity, size_t *length, tp_error *error) {
#if defined(__linux__)
  (void)error;
  return tpi_copy_path("/proc/self/exe", buffer, capacity, length);
#else
  return tp_self_name(buffer, capacity, length, error);
#endif
}

#endif

TP_DEF int tp_file_open_self(tp_file *file, tp_error *error) {
#if defined(_WIN32)
  tp_path_char path[32768];
#else
  tp_path_char path[4096];
#endif
  size_t length = 0;
  int got = tp_self_path(path, sizeof path / sizeof path[0], &length, error);
  file->size = 0;
  file->fd = -1;
  file->handle = NULL;
  if (got > 0) return tpi_fail(error, "The program's path is too long");
  if (got < 0) return -1;
  return tp_file_open(file, path, error);
}

#ifdef __cplusplus
}
#endif

#undef TP_DEF
#undef TPI_DEF
#undef TPI_STEP

#endif /* TAILPACK_IMPLEMENTATION */
