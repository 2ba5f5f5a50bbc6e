// The Tailpack byte layout: walking the trailers back from the end, reading a length field and
// writing a trailer.
#include "store/tailpack.h"

#include <algorithm>
#include <cstring>

#include "store/walk.h"

// A ByteSource over bytes that outlive it.
ByteSource MemorySource(std::string_view bytes) {
  ByteSource source;
  source.size = bytes.size();
  source.memory = bytes.data();
  source.readAt = [bytes](std::uint64_t offset, char* out, std::size_t n) {
    if (offset > bytes.size() || n > bytes.size() - offset) return Status::Failed("Read beyond the end of the data");
    std::memcpy(out, bytes.data() + offset, n);
    return Status::Success();
  };
  return source;
}

// The shared walk (store/walk.h).
Status WalkTailpack(const ByteSource& source, const std::function<void(const ChunkRecord&)>& visit,
                    std::uint64_t& remaining) {
  remaining = source.size;
  return WalkTrailers(
      source,
      [&](const tp_trailer& trailer, const tp_blocks&) {
        visit(RecordOf(trailer));
        return true;
      },
      nullptr, &remaining);
}

// Hexadecimal digits of either case, from the first character up to the first one that is not
// a digit; no digit gives 0. Eight digits always fit in 32 bits.
std::uint32_t ParseLengthField(std::string_view field) {
  return tp_parse_length(field.data(), std::min<std::size_t>(field.size(), kLengthDigits));
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

bool IsBinaryChunk(std::string_view bytes) { return tp_is_binary(bytes.data(), bytes.size()) != 0; }
