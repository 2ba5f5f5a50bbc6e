// tailpack_reader.h: lets a program read the Tailpack appended to an executable, usually its own.
// One header, C++17, the standard library and the OS file calls only; nothing throws out of it.
//
// A Tailpack is a sequence of chunks behind the last byte of an executable. Every chunk is its
// data followed by a 17-byte trailer: the data length as 8 hexadecimal digits, a 3-byte kind
// (right-aligned, short kinds padded on the left with spaces) and the marker "{TlPk}". Chunks are
// found by walking the trailers back from the end of the file. The reader reads the file size,
// the trailers and the chunk asked for, never the whole file, and handles files of 4 GiB and more.
//
//   tailpack::SelfPathResult self = tailpack::SelfPath();
//   tailpack::ChunkBytes text = tailpack::ReadChunk(self.path, "TXT");
//   if (text.found) use(text.bytes);           // text.error tells an unreadable file
//
// When several chunks share a kind, reading by kind returns the newest one (nearest the end of
// the file), so a chunk added later overrides an earlier one of the same kind.
//
// Signed executables: a signing tool puts its certificate table at the very end of the file and
// records it in the PE security directory. The Authenticode hash does not cover that table, so
// chunks placed inside it, behind the signature blob, leave the signature valid; chunks added
// before signing stand in front of the table (up to 7 zero bytes of alignment padding may follow
// them). For a PE file whose certificate table ends the file and is well formed (one entry, sizes
// that agree, 8-byte alignment, a signature blob of known length), the chunks are those inside
// the table behind the blob, newest, and those in front of the table, oldest. Any other file,
// signed or not, is read from its end. HasCertificateTable tells whether a file carries a table
// at all: changing chunks outside the table invalidates its signature.
//
// The header has two parts. The first is the byte format over a Source (any random-access
// bytes) and needs no system header; the second opens files and finds the program's own file.
// Defining TAILPACK_READER_FORMAT_ONLY before including it gives the first part alone; the
// second can still be had by including the header again without that macro.

#ifndef TAILPACK_READER_FORMAT_INCLUDED
#define TAILPACK_READER_FORMAT_INCLUDED

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace tailpack {

inline constexpr std::string_view kMarker = "{TlPk}";
inline constexpr std::uint64_t kTrailerSize = 17;  // 8 length digits, 3 kind bytes, the marker
// Trailers are read from the end of the file in blocks of this size, so many small chunks cost
// one read per block.
inline constexpr std::size_t kBlockSize = std::size_t{64} << 10;

// Where a chunk stands in its file.
enum class Place {
  End,        // behind everything: the end of the file
  Signature,  // inside the certificate table of a signed executable, behind the signature
  Front,      // in front of the certificate table of a signed executable
};

struct Chunk {
  std::string kind;          // the kind field as stored (leading spaces kept), cut at a NUL byte
  std::uint32_t length = 0;  // number of data bytes
  std::uint64_t offset = 0;  // 0-based file offset of the first data byte
  Place place = Place::End;
};

struct Listing {
  std::vector<Chunk> chunks;  // oldest first
  std::uint64_t body = 0;     // where the walk of the oldest chunks stopped: the executable's own bytes end there
  std::string error;          // empty when the file was read
  bool ok() const { return error.empty(); }
};

struct ChunkBytes {
  bool found = false;  // a chunk of that index or kind exists
  std::string bytes;   // its data when found and readable
  std::string error;   // not empty: the file or the chunk could not be read
  bool ok() const { return error.empty(); }
};

struct CertificateTable {
  bool present = false;      // the security directory names a table inside the file, behind the headers
  bool atEnd = false;        // the table ends exactly at the end of the file
  bool holdsChunks = false;  // a well-formed signature at the end: chunks go inside the table
  std::uint64_t offset = 0;  // 0-based file offset of the table
  std::uint64_t size = 0;
  std::uint64_t directoryAt = 0;   // file offset of the security directory entry: address, then size
  std::uint64_t headersEnd = 0;    // end of the optional header; no chunk starts in front of it
  std::uint32_t entryLength = 0;   // dwLength of the table's certificate entry, when it holds chunks
  std::uint64_t signatureEnd = 0;  // end of that entry's signature blob, when it holds chunks
};

// Random access to a byte range of known size. readAt reads exactly n bytes at offset, or
// returns false with a reason in error.
struct Source {
  std::uint64_t size = 0;
  const void* context = nullptr;
  bool (*readAt)(const void* context, std::uint64_t offset, char* out, std::size_t n,
                 std::string& error) = nullptr;
  const char* memory = nullptr;  // the bytes themselves, when they are in memory: walked in place
};

// A Source over bytes in memory, which must outlive it.
inline Source MemorySource(std::string_view bytes) {
  Source source;
  source.size = bytes.size();
  source.context = bytes.data();
  source.memory = bytes.data();
  source.readAt = [](const void* data, std::uint64_t offset, char* out, std::size_t n, std::string&) {
    std::memcpy(out, static_cast<const char*>(data) + offset, n);  // the range was checked by the caller
    return true;
  };
  return source;
}

namespace detail {

// Reads n bytes at offset, checking the range against the source's size first.
inline bool Read(const Source& source, std::uint64_t offset, char* out, std::size_t n, std::string& error) {
  if (offset > source.size || n > source.size - offset) {
    error = "Read beyond the end of the file";
    return false;
  }
  return n == 0 || source.readAt(source.context, offset, out, n, error);
}

inline std::uint32_t LittleEndian(const unsigned char* p, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | p[i];
  return value;
}

// The value of each byte as a hexadecimal digit of either case, or -1.
struct HexDigits {
  signed char value[256];
  constexpr HexDigits() : value() {
    for (int c = 0; c < 256; ++c)
      value[c] = static_cast<signed char>(c >= '0' && c <= '9' ? c - '0'
                                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                 : -1);
  }
};
inline constexpr HexDigits kHexDigits{};

// The value of a length field: hexadecimal digits of either case up to the first other character
// (no digit gives 0), kept to 32 bits.
inline std::uint32_t ParseLength(std::string_view field) {
  if (field.size() == 8) {  // the usual case: eight digits, looked up independently of each other
    std::uint32_t value = 0;
    int bad = 0;
    for (int i = 0; i < 8; ++i) {
      int digit = kHexDigits.value[static_cast<unsigned char>(field[i])];
      bad |= digit;
      value = (value << 4) | static_cast<std::uint32_t>(digit & 15);
    }
    if (bad >= 0) return value;
  }
  std::uint32_t value = 0;
  for (char c : field) {
    int digit = kHexDigits.value[static_cast<unsigned char>(c)];
    if (digit < 0) break;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return value;
}

}  // namespace detail

// The bytes of a Source read backwards in blocks: a walk asks for the bytes in front of a
// position, and a new block (up to kBlockSize bytes ending there) is read only when the block
// held does not contain them.
class Blocks {
 public:
  // A source in memory is held whole from the start: nothing is copied.
  explicit Blocks(const Source& source) : source_(source) {
    if (source.memory != nullptr) {
      base_ = source.memory;
      end_ = source.size;
    }
  }
  Blocks(const Blocks&) = delete;
  Blocks& operator=(const Blocks&) = delete;

  // The n bytes in front of end (n at most kBlockSize, end at most the size), or nullptr with
  // the reason in error. A block that served only one request is followed by a small one (large
  // chunks cost a few KiB per trailer), one that served more by a block twice as large, up to
  // kBlockSize (many small chunks cost one read per 64 KiB).
  const char* Before(std::uint64_t end, std::size_t n, std::string& error) {
    if (Holds(end - n, n)) {
      ++served_;
    } else {
      want_ = served_ > 1 ? (std::min)(want_ * 2, kBlockSize) : kFirstBlock;
      served_ = 1;
      if (!Fill(end > want_ ? end - want_ : 0, end, error)) return nullptr;
    }
    return At(end - n);
  }

  // Reads the block of up to kBlockSize bytes from start on, for a caller about to walk forwards
  // through the file; false with the reason in error when it cannot be read.
  bool Load(std::uint64_t start, std::string& error) {
    if (source_.memory != nullptr) return true;
    start = (std::min)(start, source_.size);
    return Fill(start, start + (std::min<std::uint64_t>)(kBlockSize, source_.size - start), error);
  }

  // True when the bytes [offset, offset + n) are held; At(offset) then points at them.
  bool Holds(std::uint64_t offset, std::uint64_t n) const {
    return offset >= start_ && offset <= end_ && n <= end_ - offset;
  }
  const char* At(std::uint64_t offset) const { return base_ + (offset - start_); }
  std::uint64_t Start() const { return start_; }
  std::uint64_t End() const { return end_; }
  const Source& Bytes() const { return source_; }

 private:
  bool Fill(std::uint64_t start, std::uint64_t end, std::string& error) {
    block_.resize(static_cast<std::size_t>(end - start));
    base_ = block_.data();
    start_ = end_ = 0;
    if (!detail::Read(source_, start, block_.data(), block_.size(), error)) return false;
    start_ = start;
    end_ = end;
    return true;
  }

  static constexpr std::size_t kFirstBlock = std::size_t{4} << 10;
  const Source& source_;
  std::vector<char> block_;
  const char* base_ = nullptr;         // the bytes of [start_, end_)
  std::uint64_t start_ = 0, end_ = 0;  // the range of the source held
  std::size_t want_ = kFirstBlock;     // the size of the block read last
  std::size_t served_ = 0;             // requests it served
};

// One chunk as the walk finds it. kind points into the walk's block and lives only as long as
// the call that hands it over.
struct Trailer {
  std::string_view kind;     // the kind field as stored; shorter only at the start of a region
  std::uint32_t length = 0;  // the value of the length field
  std::uint64_t offset = 0;  // 0-based position of the first data byte
  std::uint64_t start = 0;   // where the chunk begins: offset, or the zero padding in front of it
  std::uint64_t end = 0;     // where its trailer ends: the walk goes on from start to the next
  bool whole = true;         // false: the length is larger than what stands in front (damaged)
  Place place = Place::End;
};

enum class Walked { Done, Stopped, Failed };

// Walks the trailers of the region [floor, end) back from end, newest first, as if those bytes
// were a file of their own, calling visit(const Trailer&, const Blocks&) for each chunk; visit
// answers false to stop the walk. A trailer whose length is larger than what stands in front of
// it is still a chunk (starting right behind its length field); nothing is dropped for it, and
// the walk goes on only if that length field ends with the marker. Chunks inside a certificate
// table (place Signature) carry zero bytes in front that keep the table a multiple of 8 long.
template <typename Visit>
Walked WalkRegion(Blocks& blocks, std::uint64_t floor, std::uint64_t end, Place place, Visit&& visit,
                  std::string& error) {
  std::uint64_t remaining = end;
  while (remaining - floor >= kMarker.size()) {
    const std::size_t n = static_cast<std::size_t>((std::min<std::uint64_t>)(remaining - floor, kTrailerSize));
    const char* bytes = blocks.Before(remaining, n, error);
    if (bytes == nullptr) return Walked::Failed;
    if (std::memcmp(bytes + n - kMarker.size(), kMarker.data(), kMarker.size()) != 0) break;
    Trailer trailer;
    trailer.end = remaining;
    const std::size_t kindSize = (std::min<std::size_t>)(n - kMarker.size(), 3), fieldSize = n - kMarker.size() - kindSize;
    trailer.kind = std::string_view(bytes + fieldSize, kindSize);
    trailer.length = detail::ParseLength(std::string_view(bytes, fieldSize));
    trailer.place = place;
    remaining -= kMarker.size() + kindSize;
    trailer.whole = remaining - floor >= std::uint64_t{trailer.length} + 8;
    if (trailer.whole) remaining -= std::uint64_t{trailer.length} + 8;
    trailer.offset = trailer.start = remaining;
    if (place == Place::Signature && trailer.whole) {
      std::size_t padding = static_cast<std::size_t>((8 - (trailer.length + kTrailerSize) % 8) % 8);
      if (padding > 0 && remaining - floor >= padding) {
        const char* zeros = blocks.Before(remaining, padding, error);
        if (zeros == nullptr) return Walked::Failed;
        if (std::all_of(zeros, zeros + padding, [](char c) { return c == 0; })) remaining -= padding;
      }
      trailer.start = remaining;
    }
    if (!visit(static_cast<const Trailer&>(trailer), static_cast<const Blocks&>(blocks))) return Walked::Stopped;
  }
  return Walked::Done;
}

// A stretch of the file in which chunks stand, walked back from end as a file of its own.
struct Region {
  std::uint64_t floor = 0, end = 0;
  Place place = Place::End;
};

// The regions of a file, newest first: one or two.
struct Regions {
  Region region[2];
  int count = 0;
};

namespace detail {

// Reads the PE security directory (data directory 4; its address is a file offset). Anything that
// is not a well-formed PE header, or a table that leaves the file or overlaps the headers,
// counts as no table.
inline CertificateTable FindDirectory(const Source& source, std::string& error) {
  CertificateTable table;
  unsigned char dos[64];
  if (source.size < sizeof dos || !Read(source, 0, reinterpret_cast<char*>(dos), sizeof dos, error)) return table;
  if (dos[0] != 'M' || dos[1] != 'Z') return table;
  std::uint64_t peAt = LittleEndian(dos + 0x3C, 4);
  unsigned char pe[24];
  if (peAt + sizeof pe > source.size || !Read(source, peAt, reinterpret_cast<char*>(pe), sizeof pe, error))
    return table;
  if (std::memcmp(pe, "PE\0\0", 4) != 0) return table;
  std::uint64_t optionalSize = LittleEndian(pe + 20, 2);
  std::uint64_t optionalAt = peAt + sizeof pe;
  unsigned char optional[152] = {};
  std::size_t want = static_cast<std::size_t>((std::min<std::uint64_t>)(optionalSize, sizeof optional));
  if (optionalAt + optionalSize > source.size || !Read(source, optionalAt, reinterpret_cast<char*>(optional), want, error))
    return table;
  std::uint32_t magic = LittleEndian(optional, 2);
  std::size_t countAt = magic == 0x20B ? 108 : magic == 0x10B ? 92 : 0;
  if (countAt == 0) return table;
  std::size_t entryAt = countAt + 4 + 4 * 8;  // data directories follow the count, 8 bytes each
  if (optionalSize < entryAt + 8 || LittleEndian(optional + countAt, 4) < 5) return table;
  std::uint64_t address = LittleEndian(optional + entryAt, 4);
  std::uint64_t size = LittleEndian(optional + entryAt + 4, 4);
  if (size == 0 || address < optionalAt + optionalSize || address + size > source.size) return table;
  table.present = true;
  table.atEnd = address + size == source.size;
  table.offset = address;
  table.size = size;
  table.directoryAt = optionalAt + entryAt;
  table.headersEnd = optionalAt + optionalSize;
  return table;
}

// The length of the DER element at the start of der (tag, length field and contents), or 0 when
// it is not a SEQUENCE of definite length.
inline std::uint64_t DerLength(const unsigned char* der, std::size_t available) {
  if (available < 2 || der[0] != 0x30) return 0;
  if (der[1] < 0x80) return 2 + std::uint64_t{der[1]};
  std::size_t digits = der[1] & 0x7F;
  if (digits == 0 || digits > 4 || available < 2 + digits) return 0;
  std::uint64_t length = 0;
  for (std::size_t i = 0; i < digits; ++i) length = (length << 8) | der[2 + i];
  return 2 + digits + length;
}

// Whether a table at the end of the file can hold chunks: aligned to 8 bytes and a multiple of 8
// long, holding exactly one certificate entry whose dwLength agrees with the directory's size,
// of type PKCS#7 signed data, whose signature blob has a known length within the entry. Any
// other table is left alone: files with such tables are read from their end.
inline void CheckHoldsChunks(const Source& source, CertificateTable& table, std::string& error) {
  if (!table.present || !table.atEnd || table.offset % 8 != 0 || table.size % 8 != 0 || table.size < 16) return;
  unsigned char entry[14];
  if (!Read(source, table.offset, reinterpret_cast<char*>(entry), sizeof entry, error)) return;
  std::uint32_t length = LittleEndian(entry, 4);
  if (length < 8 || (std::uint64_t{length} + 7) / 8 * 8 != table.size || LittleEndian(entry + 6, 2) != 2) return;
  std::uint64_t blob = DerLength(entry + 8, sizeof entry - 8);
  if (blob == 0 || blob > length - 8) return;
  table.holdsChunks = true;
  table.entryLength = length;
  table.signatureEnd = table.offset + 8 + blob;
}

inline CertificateTable FindCertificateTable(const Source& source, std::string& error) {
  CertificateTable table = FindDirectory(source, error);
  CheckHoldsChunks(source, table, error);
  return table;
}

// Where the chunks in front of a certificate table end: at the table, or, when up to 7 zero
// bytes of alignment padding stand between the last marker and the table, in front of them.
inline std::uint64_t FrontEnd(Blocks& blocks, const CertificateTable& table, std::string& error) {
  const std::uint64_t end = table.offset, room = end - table.headersEnd;
  if (room < kMarker.size()) return end;
  std::size_t n = static_cast<std::size_t>((std::min<std::uint64_t>)(room, kMarker.size() + 7));
  const char* bytes = blocks.Before(end, n, error);
  if (bytes == nullptr) return end;
  std::string_view tail(bytes, n);
  std::size_t zeros = 0;
  while (zeros < 7 && zeros < n && tail[n - 1 - zeros] == 0) ++zeros;
  if (n - zeros >= kMarker.size() && tail.substr(n - zeros - kMarker.size(), kMarker.size()) == kMarker) return end - zeros;
  return end;
}

}  // namespace detail

// Where the chunks of a file stand, newest first: the whole file, walked from its end; or, when its
// certificate table holds chunks, the part of the table behind the signature blob and then the
// part of the file between the headers and the table (and its padding). On a read failure error
// is set and no region is given.
inline Regions FindRegions(Blocks& blocks, const CertificateTable& table, std::string& error) {
  Regions regions;
  const std::uint64_t size = blocks.Bytes().size;
  if (!table.holdsChunks) {
    regions.region[regions.count++] = Region{0, size, Place::End};
    return regions;
  }
  std::uint64_t frontEnd = detail::FrontEnd(blocks, table, error);
  if (!error.empty()) return regions;
  regions.region[regions.count++] = Region{table.signatureEnd, size, Place::Signature};
  regions.region[regions.count++] = Region{table.headersEnd, frontEnd, Place::Front};
  return regions;
}

// Walks every region of a file newest first (see WalkRegion). Sets body to where the walk of the
// last region stopped.
template <typename Visit>
Walked WalkRegions(Blocks& blocks, const Regions& regions, Visit&& visit, std::uint64_t& body, std::string& error) {
  for (int i = 0; i < regions.count; ++i) {
    const Region& region = regions.region[i];
    body = region.end;
    auto each = [&](const Trailer& trailer, const Blocks& held) {
      body = trailer.start;
      return visit(trailer, held);
    };
    Walked walked = WalkRegion(blocks, region.floor, region.end, region.place, each, error);
    if (walked != Walked::Done) return walked;
  }
  return Walked::Done;
}

// Walks the chunks of source newest first, whatever its layout: finds the certificate table and
// the regions, then walks them.
template <typename Visit>
Walked WalkChunks(const Source& source, Visit&& visit, std::uint64_t& body, std::string& error) {
  body = source.size;
  CertificateTable table = detail::FindCertificateTable(source, error);
  if (!error.empty()) return Walked::Failed;
  Blocks blocks(source);
  Regions regions = FindRegions(blocks, table, error);
  if (!error.empty()) return Walked::Failed;
  return WalkRegions(blocks, regions, visit, body, error);
}

namespace detail {

inline Chunk ChunkOf(const Trailer& trailer) {
  Chunk chunk;
  chunk.kind = std::string(trailer.kind.substr(0, trailer.kind.find('\0')));
  chunk.length = trailer.length;
  chunk.offset = trailer.offset;
  chunk.place = trailer.place;
  return chunk;
}

// The chunks of source, oldest first.
inline Listing List(const Source& source) {
  Listing listing;
  auto keep = [&listing](const Trailer& trailer, const Blocks&) {
    listing.chunks.push_back(ChunkOf(trailer));
    return true;
  };
  if (WalkChunks(source, keep, listing.body, listing.error) == Walked::Failed) {
    listing.chunks.clear();
    return listing;
  }
  std::reverse(listing.chunks.begin(), listing.chunks.end());
  return listing;
}

inline ChunkBytes ReadData(const Source& source, const Chunk& chunk) {
  ChunkBytes result;
  result.found = true;
  if (chunk.offset > source.size || chunk.length > source.size - chunk.offset) {
    result.error = "The chunk reaches beyond the end of the file";
    return result;
  }
  if (std::uint64_t{chunk.length} > std::uint64_t{result.bytes.max_size()}) {
    result.error = "The chunk is too large for this program";
    return result;
  }
  result.bytes.resize(chunk.length);
  if (!Read(source, chunk.offset, result.bytes.data(), result.bytes.size(), result.error)) result.bytes.clear();
  return result;
}

// A kind as the kind field holds it: shorter kinds are right-aligned with spaces.
inline std::string StoredKind(std::string_view kind) {
  return kind.size() >= 3 ? std::string(kind) : std::string(3 - kind.size(), ' ') + std::string(kind);
}

inline ChunkBytes ReadByIndex(const Source& source, std::size_t index) {
  Listing listing = List(source);
  if (!listing.ok()) return ChunkBytes{false, {}, listing.error};
  if (index >= listing.chunks.size()) return ChunkBytes{};
  return ReadData(source, listing.chunks[index]);
}

// The walk goes newest first, so it stops at the first chunk of that kind.
inline ChunkBytes ReadByKind(const Source& source, std::string_view kind) {
  const std::string wanted = StoredKind(kind);
  Chunk found;
  bool any = false;
  auto match = [&](const Trailer& trailer, const Blocks&) {
    if (trailer.kind.substr(0, trailer.kind.find('\0')) != wanted) return true;
    found = ChunkOf(trailer);
    any = true;
    return false;
  };
  std::uint64_t body = 0;
  std::string error;
  if (WalkChunks(source, match, body, error) == Walked::Failed) return ChunkBytes{false, {}, error};
  return any ? ReadData(source, found) : ChunkBytes{};
}

// Runs work, turning an exhausted memory (or any other exception) into an error.
template <typename Result, typename Work>
Result Guarded(Work work) {
  try {
    return work();
  } catch (const std::exception& e) {
    Result failed;
    failed.error = e.what();
    return failed;
  }
}

}  // namespace detail

// The chunks of a source, oldest first.
inline Listing ListChunks(const Source& source) {
  return detail::Guarded<Listing>([&] { return detail::List(source); });
}
inline Listing ListChunksInMemory(std::string_view bytes) {
  return ListChunks(MemorySource(bytes));
}

// The data of chunk `index` (0-based, oldest first).
inline ChunkBytes ReadChunk(const Source& source, std::size_t index) {
  return detail::Guarded<ChunkBytes>([&] { return detail::ReadByIndex(source, index); });
}

// The data of the newest chunk of that kind ("AB" finds the kind field " AB").
inline ChunkBytes ReadChunk(const Source& source, std::string_view kind) {
  return detail::Guarded<ChunkBytes>([&] { return detail::ReadByKind(source, kind); });
}

// The data of one chunk of an earlier listing of the same source.
inline ChunkBytes ReadChunk(const Source& source, const Chunk& chunk) {
  return detail::Guarded<ChunkBytes>([&] { return detail::ReadData(source, chunk); });
}

// The PE certificate table of a source, if it has one.
inline CertificateTable FindCertificateTable(const Source& source) {
  try {
    std::string error;
    return detail::FindCertificateTable(source, error);
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace tailpack

#endif  // TAILPACK_READER_FORMAT_INCLUDED

#if !defined(TAILPACK_READER_FORMAT_ONLY) && !defined(TAILPACK_READER_FILES_INCLUDED)
#define TAILPACK_READER_FILES_INCLUDED

#include <filesystem>

#if defined(_WIN32)
// <windows.h> lean, so that a program may include <winsock2.h> after this header, and without its
// min and max macros; the two macros are taken back afterwards when they were not the program's.
#if !defined(WIN32_LEAN_AND_MEAN)
#define WIN32_LEAN_AND_MEAN
#define TAILPACK_READER_LEAN_DEFINED
#endif
#if !defined(NOMINMAX)
#define NOMINMAX
#define TAILPACK_READER_NOMINMAX_DEFINED
#endif
#include <windows.h>
#if defined(TAILPACK_READER_LEAN_DEFINED)
#undef WIN32_LEAN_AND_MEAN
#undef TAILPACK_READER_LEAN_DEFINED
#endif
#if defined(TAILPACK_READER_NOMINMAX_DEFINED)
#undef NOMINMAX
#undef TAILPACK_READER_NOMINMAX_DEFINED
#endif
#else
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#if defined(__APPLE__)
#include <mach-o/dyld.h>
#endif
#endif

namespace tailpack {

struct SelfPathResult {
  // The file to read. On Linux this is /proc/self/exe itself, which stays the running program's
  // file even after another file was renamed over its name (as stowr writes); it means this
  // process's file only, so hand it to no other process.
  std::filesystem::path path;
  std::filesystem::path name;  // the program's path, for messages
  std::string error;
  bool ok() const { return error.empty(); }
};

namespace detail {

#if defined(_WIN32)
inline std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n && text ? std::string(text, n) : "Windows error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' ' ||
                              message.back() == '.'))
    message.pop_back();
  return message;
}
#else
inline std::string SystemMessage(int code) { return std::strerror(code); }
static_assert(sizeof(off_t) >= 8, "tailpack_reader.h needs a 64-bit off_t (define _FILE_OFFSET_BITS=64)");
#endif

// An open file, closed when it goes out of scope.
class File {
 public:
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { Close(); }

#if defined(_WIN32)
  bool Open(const std::filesystem::path& path, std::string& error) {
    handle_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) return Fail(GetLastError(), error);
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle_, &info)) return Fail(GetLastError(), error);
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      error = "Not a file";
      return false;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) return Fail(GetLastError(), error);
    size_ = static_cast<std::uint64_t>(size.QuadPart);
    return true;
  }

  bool ReadAt(std::uint64_t offset, char* out, std::size_t n, std::string& error) const {
    while (n > 0) {
      DWORD want = static_cast<DWORD>((std::min)(n, std::size_t{1} << 30));
      OVERLAPPED at = {};
      at.Offset = static_cast<DWORD>(offset);
      at.OffsetHigh = static_cast<DWORD>(offset >> 32);
      DWORD got = 0;
      if (!ReadFile(handle_, out, want, &got, &at)) return Fail(GetLastError(), error);
      if (got == 0) return ShortRead(error);
      out += got;
      offset += got;
      n -= got;
    }
    return true;
  }

  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  static bool Fail(DWORD code, std::string& error) {
    error = SystemMessage(code);
    return false;
  }
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
  bool Open(const std::filesystem::path& path, std::string& error) {
    do fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a FIFO must not block the open
    while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) return Fail(errno, error);
    struct stat info;
    if (::fstat(fd_, &info) != 0) return Fail(errno, error);
    if (!S_ISREG(info.st_mode)) {
      error = "Not a file";
      return false;
    }
    size_ = static_cast<std::uint64_t>(info.st_size);
    return true;
  }

  bool ReadAt(std::uint64_t offset, char* out, std::size_t n, std::string& error) const {
    while (n > 0) {
      std::size_t want = (std::min)(n, std::size_t{1} << 30);
      ssize_t got = ::pread(fd_, out, want, static_cast<off_t>(offset));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return Fail(errno, error);
      if (got == 0) return ShortRead(error);
      out += got;
      offset += static_cast<std::uint64_t>(got);
      n -= static_cast<std::size_t>(got);
    }
    return true;
  }

  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  static bool Fail(int code, std::string& error) {
    error = SystemMessage(code);
    return false;
  }
  int fd_ = -1;
#endif

 public:
  std::uint64_t Size() const { return size_; }

  Source AsSource() const {
    Source source;
    source.size = size_;
    source.context = this;
    source.readAt = [](const void* self, std::uint64_t offset, char* out, std::size_t n, std::string& error) {
      return static_cast<const File*>(self)->ReadAt(offset, out, n, error);
    };
    return source;
  }

 private:
  static bool ShortRead(std::string& error) {
    error = "The file ended early (changed while being read?)";
    return false;
  }
  std::uint64_t size_ = 0;
};

// Runs work on the opened file, turning an open failure or an exhausted memory into an error.
template <typename Result, typename Work>
Result OnFile(const std::filesystem::path& path, Work work) {
  return Guarded<Result>([&] {
    File file;
    std::string error;
    if (!file.Open(path, error)) {
      Result failed;
      failed.error = error;
      return failed;
    }
    return work(file.AsSource());
  });
}

}  // namespace detail

// The chunks of a file, oldest first.
inline Listing ListChunks(const std::filesystem::path& file) {
  return detail::OnFile<Listing>(file, [](const Source& s) { return detail::List(s); });
}

// The data of chunk `index` (0-based, oldest first).
inline ChunkBytes ReadChunk(const std::filesystem::path& file, std::size_t index) {
  return detail::OnFile<ChunkBytes>(file, [&](const Source& s) { return detail::ReadByIndex(s, index); });
}

// The data of the newest chunk of that kind ("AB" finds the kind field " AB").
inline ChunkBytes ReadChunk(const std::filesystem::path& file, std::string_view kind) {
  return detail::OnFile<ChunkBytes>(file, [&](const Source& s) { return detail::ReadByKind(s, kind); });
}

// The data of one chunk of an earlier listing of the same file.
inline ChunkBytes ReadChunk(const std::filesystem::path& file, const Chunk& chunk) {
  return detail::OnFile<ChunkBytes>(file, [&](const Source& s) { return detail::ReadData(s, chunk); });
}

// The PE certificate table of a file, if it has one. A file that cannot be read has none.
inline CertificateTable FindCertificateTable(const std::filesystem::path& file) {
  try {
    detail::File opened;
    std::string error;
    if (!opened.Open(file, error)) return {};
    return detail::FindCertificateTable(opened.AsSource(), error);
  } catch (const std::exception&) {
    return {};
  }
}

// True when the file is a signed executable: adding or removing chunks breaks its signature.
inline bool HasCertificateTable(const std::filesystem::path& file) { return FindCertificateTable(file).present; }

// The running program's own file, and its name.
inline SelfPathResult SelfPath() {
  SelfPathResult result;
  try {
#if defined(_WIN32)
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
      DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (n == 0) {
        result.error = detail::SystemMessage(GetLastError());
        return result;
      }
      if (n < buffer.size()) {
        buffer.resize(n);
        break;
      }
      if (buffer.size() >= 32768) {
        result.error = "The program's path is too long";
        return result;
      }
      buffer.resize(buffer.size() * 2);
    }
    result.path = result.name = buffer;
#elif defined(__APPLE__)
    std::uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::string buffer(size, '\0');
    if (_NSGetExecutablePath(buffer.data(), &size) != 0) {
      result.error = "The program's path is not available";
      return result;
    }
    buffer.resize(std::strlen(buffer.c_str()));
    std::error_code ec;
    std::filesystem::path canonical = std::filesystem::canonical(buffer, ec);
    result.path = result.name = ec ? std::filesystem::path(buffer) : canonical;
#elif defined(__linux__)
    std::string buffer(256, '\0');
    for (;;) {
      ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
      if (n < 0) {
        result.error = detail::SystemMessage(errno);
        return result;
      }
      if (static_cast<std::size_t>(n) < buffer.size()) {
        buffer.resize(static_cast<std::size_t>(n));
        break;
      }
      buffer.resize(buffer.size() * 2);
    }
    constexpr std::string_view kDeleted = " (deleted)";  // the link's text once the name went to another file
    if (buffer.size() > kDeleted.size() && buffer.compare(buffer.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0)
      buffer.resize(buffer.size() - kDeleted.size());
    result.name = buffer;
    result.path = "/proc/self/exe";
#else
    result.error = "Finding the program's own file is not supported on this system";
#endif
  } catch (const std::exception& e) {
    result.error = e.what();
  }
  return result;
}

}  // namespace tailpack

#endif  // TAILPACK_READER_FILES_INCLUDED
