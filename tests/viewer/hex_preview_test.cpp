#include "viewer/hex_preview.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Pairs(const std::string& pair, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += pair + " ";
  return text;
}

TEST(FormatHexPreview, FormatsPairsAndTruncatesOnlyPastTheLimit) {
  const std::string truncated = "\r\n[...] (Truncated)";
  struct Case {
    const char* name;
    std::string bytes;
    std::string expected;
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"one zero byte", std::string(1, '\0'), "00 "},
      {"10, 255, 0", std::string("\x0A\xFF\x00", 3), "0A FF 00 "},
      {"every nibble", "\x01\x23\x45\x67\x89\xAB\xCD\xEF", "01 23 45 67 89 AB CD EF "},
      {"exactly 2048 bytes", std::string(2048, '\x7F'), Pairs("7F", 2048)},
      {"2049 bytes", std::string(2049, '\x7F'), Pairs("7F", 2048) + truncated},
      {"a zero beyond 2048 bytes", std::string(4096, 'a') + std::string(1, '\0'), Pairs("61", 2048) + truncated},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatHexPreview(c.bytes), c.expected) << c.name;
  }
}

TEST(FormatHexPreview, StaysBoundedForLargeChunks) {
  const std::string text = FormatHexPreview(std::string(10'000'000, '\0'));
  EXPECT_EQ(text.size(), 3u * 2048 + 19);
  EXPECT_EQ(text.find('\n'), 3u * 2048 + 1);  // the pairs form a single line
}

}  // namespace
