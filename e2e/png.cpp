// Pictures for the cases, written byte by byte: an RGB PNG whose pixel data sits in stored
// (uncompressed) deflate blocks, so that no encoder of the system under test is involved.
#include "e2e/png.h"

#include <algorithm>

namespace e2e {

namespace {

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::uint32_t Adler32(const std::string& bytes) {
  std::uint32_t a = 1, b = 0;
  for (unsigned char byte : bytes) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::string BigEndian(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
          static_cast<char>(value)};
}

std::string PngChunk(const std::string& type, const std::string& data) {
  return BigEndian(static_cast<std::uint32_t>(data.size())) + type + data + BigEndian(Crc32(type + data));
}

}  // namespace

std::string SolidPng(std::uint32_t width, std::uint32_t height, std::uint32_t rgb) {
  std::string row(1, '\0');  // filter type None
  for (std::uint32_t x = 0; x < width; ++x)
    row += {static_cast<char>(rgb >> 16), static_cast<char>(rgb >> 8), static_cast<char>(rgb)};
  std::string raw;
  for (std::uint32_t y = 0; y < height; ++y) raw += row;

  std::string zlib = "\x78\x01";
  for (std::size_t at = 0; at == 0 || at < raw.size(); at += 65535) {
    const std::size_t n = std::min<std::size_t>(65535, raw.size() - at);
    const bool last = at + n >= raw.size();
    zlib += static_cast<char>(last ? 1 : 0);
    zlib += {static_cast<char>(n), static_cast<char>(n >> 8), static_cast<char>(~n), static_cast<char>(~n >> 8)};
    zlib += raw.substr(at, n);
  }
  zlib += BigEndian(Adler32(raw));

  const std::string header = BigEndian(width) + BigEndian(height) + std::string("\x08\x02\x00\x00\x00", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) + PngChunk("IDAT", zlib) +
         PngChunk("IEND", "");
}

}  // namespace e2e
