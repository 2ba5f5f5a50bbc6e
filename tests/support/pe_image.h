#pragma once
// Minimal PE images for tests: enough header for a reader to find the security directory.
#include <cstddef>
#include <cstdint>
#include <string>

namespace pe_image {

// Little-endian fields of a PE image.
inline void Put(std::string& bytes, std::size_t at, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

constexpr std::size_t kPeAt = 0x80, kOptionalAt = kPeAt + 24;

// A minimal PE image: DOS header with e_lfanew, "PE\0\0", the file header and an optional header
// (PE32+ or PE32) with 16 empty data directories.
inline std::string MinimalPe(bool plus) {
  std::string pe(512, '\0');
  pe[0] = 'M';
  pe[1] = 'Z';
  Put(pe, 0x3C, kPeAt, 4);
  pe.replace(kPeAt, 4, std::string("PE\0\0", 4));
  Put(pe, kPeAt + 4, 0x8664, 2);
  Put(pe, kPeAt + 20, plus ? 240 : 224, 2);
  Put(pe, kOptionalAt, plus ? 0x20B : 0x10B, 2);
  Put(pe, kOptionalAt + (plus ? 108 : 92), 16, 4);
  return pe;
}

inline void SetSecurityDirectory(std::string& pe, bool plus, std::uint64_t address, std::uint64_t size) {
  std::size_t entry = kOptionalAt + (plus ? 112 : 96) + 4 * 8;
  Put(pe, entry, static_cast<std::uint32_t>(address), 4);
  Put(pe, entry + 4, static_cast<std::uint32_t>(size), 4);
}

// A certificate table as signing tools write it: one WIN_CERTIFICATE entry of type PKCS#7 signed
// data whose bCertificate is a DER SEQUENCE of `blob` bytes (at most 129), zero padded so that
// dwLength and the table are a multiple of 8.
inline std::string CertificateTableBytes(std::size_t blob = 56) {
  std::size_t size = (8 + blob + 7) / 8 * 8;
  std::string table(size, '\0');
  Put(table, 0, static_cast<std::uint32_t>(size), 4);
  Put(table, 4, 0x0200, 2);
  Put(table, 6, 2, 2);
  table[8] = 0x30;
  table[9] = static_cast<char>(blob - 2);
  for (std::size_t i = 10; i < 8 + blob; ++i) table[i] = '\x5a';
  return table;
}

// img with a certificate table appended at its end and the security directory pointing at it.
inline std::string Signed(std::string img, bool plus = true) {
  std::string table = CertificateTableBytes();
  SetSecurityDirectory(img, plus, img.size(), table.size());
  return img + table;
}

}  // namespace pe_image
