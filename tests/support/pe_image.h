#pragma once
// Minimal PE images and signature blobs for the tests and the fuzz target: enough header for a
// reader to find the security directory, and DER built by hand.
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

// Where the security directory (data directory 4: address, then size) stands in MinimalPe.
constexpr std::size_t SecurityDirectoryAt(bool plus) { return kOptionalAt + (plus ? 112 : 96) + 4 * 8; }

inline void SetSecurityDirectory(std::string& pe, bool plus, std::uint64_t address, std::uint64_t size) {
  std::size_t entry = SecurityDirectoryAt(plus);
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

// A DER element: tag, length in its shortest form, contents.
inline std::string Der(unsigned char tag, const std::string& contents) {
  std::string digits;
  for (std::size_t n = contents.size(); n > 0; n >>= 8) digits.insert(digits.begin(), static_cast<char>(n & 0xFF));
  std::string element(1, static_cast<char>(tag));
  if (contents.size() < 0x80) element += static_cast<char>(contents.size());
  else element += static_cast<char>(0x80 | digits.size()) + digits;
  return element + contents;
}

// The chunk attribute's OID, 1.3.6.1.4.1.42921.1.2.1, as a DER element.
inline const std::string kChunkAttributeOid = "\x06\x0b\x2b\x06\x01\x04\x01\x82\xcf\x29\x01\x02\x01";

// A PKCS#7 signature blob (ContentInfo, SignedData, one SignerInfo) whose signer's own bytes are
// `filler` long, so that the lengths around it take 1, 2 or 3 bytes: without unauthenticated
// attributes (attributes 0), with another one (1), or with that one and the chunk attribute
// whose OCTET STRING holds `inside` (2).

inline std::string SignerBlob(std::size_t filler, int attributes, const std::string& inside) {
  std::string set;
  if (attributes > 0) set = Der(0x30, Der(0x06, "\x2b\x06\x01\x04\x01\x82\x37\x02\x01\x04") + Der(0x31, Der(0x04, "x")));
  if (attributes > 1)
    set += Der(0x30, kChunkAttributeOid + Der(0x31, Der(0x04, inside)));
  std::string signer = Der(0x02, "\x01") + Der(0x04, std::string(filler, 's')) + (attributes > 0 ? Der(0xA1, set) : "");
  std::string signedData = Der(0x30, Der(0x02, "\x01") + Der(0x31, "") + Der(0x31, Der(0x30, signer)));
  return Der(0x30, Der(0x06, "\x2a\x86\x48\x86\xf7\x0d\x01\x07\x02") + Der(0xA0, signedData));
}

// One certificate entry of type PKCS#7 signed data holding blob, zero padded to a multiple of 8.
inline std::string CertificateEntry(const std::string& blob) {
  std::string entry(8, '\0');
  Put(entry, 0, static_cast<std::uint32_t>(8 + blob.size()), 4);
  Put(entry, 4, 0x0200, 2);
  Put(entry, 6, 2, 2);
  entry += blob;
  entry.append((8 - entry.size() % 8) % 8, '\0');
  return entry;
}

}  // namespace pe_image
