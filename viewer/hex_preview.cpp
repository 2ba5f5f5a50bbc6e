#include "viewer/hex_preview.h"

#include <algorithm>

// Formats the first kHexPreviewLimit bytes as one long line of pairs ("0A FF 00 "); the text box
// wraps it at its edge, so no line breaks or offsets are added. The result never exceeds
// 3 * kHexPreviewLimit characters plus the truncation line, however long the chunk is.
std::string FormatHexPreview(std::string_view bytes) { return FormatHexPreview(bytes, bytes.size()); }

std::string FormatHexPreview(std::string_view bytes, std::uint64_t length) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const std::size_t n = std::min(bytes.size(), kHexPreviewLimit);
  std::string text;
  text.reserve(3 * n + kTruncationLine.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
    text += ' ';
  }
  if (length > kHexPreviewLimit) text += kTruncationLine;
  return text;
}
