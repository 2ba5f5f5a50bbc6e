#pragma once
// The Tailpack format: chunks of data, each followed by a 17-byte trailer (8 hexadecimal length
// digits, a 3-byte kind, the marker), appended behind an executable and found by walking back
// from the end of the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The format core (reader/tailpack.h), its implementation inline in every file that includes it,
// as tailpack_reader.h has it: its walk, marker, places and sources are the store's.
#if !defined(TAILPACK_INLINE_IMPLEMENTATION)
#define TAILPACK_INLINE_IMPLEMENTATION
#define STORE_TAILPACK_INLINE_DEFINED
#endif
#include "reader/tailpack.h"
#if defined(STORE_TAILPACK_INLINE_DEFINED)
#undef TAILPACK_INLINE_IMPLEMENTATION
#undef STORE_TAILPACK_INLINE_DEFINED
#endif

inline constexpr std::uint64_t kLengthDigits = 8;
inline constexpr std::uint64_t kKindSize = 3;
static_assert(TP_TRAILER_SIZE == kLengthDigits + kKindSize + TP_MARKER_SIZE);

struct ChunkRecord {
  std::uint64_t Offset = 0;  // 1-based position of the chunk's first data byte
  std::uint32_t Length = 0;  // number of data bytes
  char Kind[4] = {};         // the kind field as stored, cut at a NUL
  // Where the chunk stands in its file: behind everything (any file that is not a signed
  // executable taking chunks into its certificate table), inside the certificate table of a signed
  // executable (in or behind the signature blob), or in front of that table (added before the
  // program was signed).
  tp_place Place = TP_PLACE_END;

  friend bool operator==(const ChunkRecord&, const ChunkRecord&) = default;
};

// Where record's data starts counted from 0, as files are read: Offset counts from 1, as the
// list, the log and the command-line tool show it.
inline std::uint64_t DataStart(const ChunkRecord& record) { return record.Offset - 1; }

// Oldest chunk first: row k of the chunk list shows ChunkTable[k - 1].
using ChunkTable = std::vector<ChunkRecord>;

// What a scan found out about a file's code signature.
struct SignatureInfo {
  bool present = false;      // the file carries a certificate table: it is a signed program
  bool holdsChunks = false;  // chunks go into that table, where adding and removing keep the signature
};

// The 17-byte trailer written behind data of the given length and kind (kind right-aligned).
std::string MakeTrailer(std::uint64_t length, std::string_view kind);

// True when the bytes hold a byte of value 0: the rule that labels a chunk Binary or Text.
bool IsBinaryChunk(std::string_view bytes);

// The Kind field as text.
inline std::string KindText(const ChunkRecord& record) { return record.Kind; }
