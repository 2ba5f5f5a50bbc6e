#pragma once
// The Tailpack format: chunks of data, each followed by a 17-byte trailer (8 hexadecimal length
// digits, a 3-byte kind, the marker), appended behind an executable and found by walking back
// from the end of the file.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "reader/tailpack.h"

inline constexpr std::string_view kMarker = TP_MARKER;
inline constexpr std::uint64_t kLengthDigits = 8;
inline constexpr std::uint64_t kKindSize = 3;
inline constexpr std::uint64_t kTrailerSize = TP_TRAILER_SIZE;
static_assert(kTrailerSize == kLengthDigits + kKindSize + kMarker.size());

// Where a chunk stands in its file: behind everything (any file that is not a signed executable
// taking chunks into its certificate table), inside the certificate table of a signed executable
// (in or behind the signature blob), or in front of that table (added before the program was signed).
enum class ChunkPlace : std::uint8_t { End = TP_PLACE_END, Signature = TP_PLACE_SIGNATURE, Front = TP_PLACE_FRONT };

struct ChunkRecord {
  std::uint64_t Offset = 0;  // 1-based position of the chunk's first data byte
  std::uint32_t Length = 0;  // number of data bytes
  char Kind[4] = {};         // the kind field as stored, cut at a NUL
  ChunkPlace Place = ChunkPlace::End;

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

// Random access to bytes of a known size: a file on disk, or a byte string in memory.
struct ByteSource {
  std::uint64_t size = 0;
  // Reads exactly n bytes at the 0-based offset.
  std::function<Status(std::uint64_t offset, char* out, std::size_t n)> readAt;
  const char* memory = nullptr;  // the bytes themselves, when they are in memory

};

ByteSource MemorySource(std::string_view bytes);

// Walks the trailers back from the end of source, newest chunk first, calling visit for each
// record found: from the end of the file, or, in a signed executable whose certificate table
// holds chunks, inside the table and then in front of it. Returns in `remaining` where the walk
// of the oldest chunks stopped: the number of bytes in front of the oldest chunk (the executable's
// own bytes) in a file read from its end.
Status WalkTailpack(const ByteSource& source, const std::function<void(const ChunkRecord&)>& visit,
                    std::uint64_t& remaining);

// The value of a length field: hexadecimal digits of either case up to the first other character.
std::uint32_t ParseLengthField(std::string_view field);

// The 17-byte trailer written behind data of the given length and kind (kind right-aligned).
std::string MakeTrailer(std::uint64_t length, std::string_view kind);

// True when the bytes hold a byte of value 0: the rule that labels a chunk Binary or Text.
bool IsBinaryChunk(std::string_view bytes);

// The Kind field as text.
inline std::string KindText(const ChunkRecord& record) { return record.Kind; }
