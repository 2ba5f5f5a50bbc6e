// The Tailpack byte layout: walking the trailers back from the end, reading a length field and
// writing a trailer.
#include "store/tailpack.h"

#include <algorithm>
#include <cstring>

// A ByteSource over bytes that outlive it.
ByteSource MemorySource(std::string_view bytes) {
  ByteSource source;
  source.size = bytes.size();
  source.readAt = [bytes](std::uint64_t offset, char* out, std::size_t n) {
    if (offset > bytes.size() || n > bytes.size() - offset) return Status::Error("Read beyond the end of the data");
    std::memcpy(out, bytes.data() + offset, n);
    return Status::Success();
  };
  return source;
}

// One step of the walk reads only the (up to) 17 bytes in front of `remaining`. While those end
// with the marker, the marker and the kind field are dropped and the length field is read; the
// data and the length field are dropped too when that many bytes are left, otherwise the record
// keeps its length but nothing more is dropped (a damaged trailer). Every step drops at least
// the marker, so the walk ends, and offsets come out strictly decreasing.
Status WalkTailpack(const ByteSource& source, const std::function<void(const ChunkRecord&)>& visit,
                    std::uint64_t& remaining) {
  remaining = source.size;
  char tail[kTrailerSize];
  while (remaining >= kMarker.size()) {
    std::size_t have = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kTrailerSize));
    char* start = tail + (kTrailerSize - have);
    Status status = source.readAt(remaining - have, start, have);
    if (!status.ok()) return status;
    if (std::string_view(tail + kTrailerSize - kMarker.size(), kMarker.size()) != kMarker) break;
    remaining -= kMarker.size();

    ChunkRecord record;
    std::size_t kindSize = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kKindSize));
    std::memcpy(record.Kind, tail + kTrailerSize - kMarker.size() - kindSize, kindSize);  // Kind[3] stays NUL
    remaining -= kindSize;

    std::size_t fieldSize = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kLengthDigits));
    record.Length = ParseLengthField(std::string_view(tail + kLengthDigits - fieldSize, fieldSize));
    if (remaining >= std::uint64_t{record.Length} + kLengthDigits) remaining -= std::uint64_t{record.Length} + kLengthDigits;
    record.Offset = remaining + 1;
    visit(record);
  }
  return Status::Success();
}

// Hexadecimal digits of either case, from the first character up to the first one that is not
// a digit; no digit gives 0. Eight digits always fit in 32 bits.
std::uint32_t ParseLengthField(std::string_view field) {
  std::uint32_t value = 0;
  for (char c : field.substr(0, kLengthDigits)) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else break;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

// Eight upper-case hexadecimal digits, the kind right-aligned in three bytes, the marker. The
// caller keeps length within 32 bits and kind within three bytes.
std::string MakeTrailer(std::uint64_t length, std::string_view kind) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string trailer(kLengthDigits, '0');
  for (std::size_t i = kLengthDigits; i-- > 0; length >>= 4) trailer[i] = kHex[length & 0xF];
  kind = kind.substr(0, kKindSize);
  trailer.append(kKindSize - kind.size(), ' ');
  trailer.append(kind);
  trailer.append(kMarker);
  return trailer;
}

bool IsBinaryChunk(std::string_view bytes) { return bytes.find('\0') != std::string_view::npos; }
