#include "viewer/text_encoding.h"

namespace {

// The length of the sequence that starts with lead and the lowest value it may encode; 0 for a
// byte that starts none.
int SequenceLength(unsigned char lead, char32_t& lowest) {
  if (lead >= 0xC2 && lead <= 0xDF) return lowest = 0x80, 2;
  if (lead >= 0xE0 && lead <= 0xEF) return lowest = 0x800, 3;
  if (lead >= 0xF0 && lead <= 0xF4) return lowest = 0x10000, 4;
  return 0;
}

}  // namespace

bool ReadsAsUtf8(std::string_view bytes) {
  bool wide = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    char32_t lowest = 0;
    const int length = SequenceLength(lead, lowest);
    if (length == 0 || bytes.size() - i < static_cast<std::size_t>(length)) return false;
    char32_t value = lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return false;
      value = (value << 6) | (next & 0x3F);
    }
    if (value < lowest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    wide = true;
    i += static_cast<std::size_t>(length);
  }
  return wide;
}
