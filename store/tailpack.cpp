// The Tailpack byte layout: writing a trailer, and the Text/Binary rule.
#include "store/tailpack.h"

// Eight upper-case hexadecimal digits, the kind right-aligned in three bytes, the marker. The
// caller keeps length within 32 bits and kind within three bytes.
std::string MakeTrailer(std::uint64_t length, std::string_view kind) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string trailer(kLengthDigits, '0');
  for (std::size_t i = kLengthDigits; i-- > 0; length >>= 4) trailer[i] = kHex[length & 0xF];
  kind = kind.substr(0, kKindSize);
  trailer.append(kKindSize - kind.size(), ' ');
  trailer.append(kind);
  trailer.append(TP_MARKER, TP_MARKER_SIZE);
  return trailer;
}

bool IsBinaryChunk(std::string_view bytes) { return tp_is_binary(bytes.data(), bytes.size()) != 0; }
