#include "tests/model/literal_pe.h"

namespace literal {
namespace {

const std::string kMarker = "{TlPk}";
// 1.3.6.1.4.1.42921.1.2.1, the chunk attribute's OID, with its tag and length.
const std::string kChunkOid = "\x06\x0b\x2b\x06\x01\x04\x01\x82\xcf\x29\x01\x02\x01";

// A little-endian number of n bytes at `at`; the caller checked that they are there.
std::uint64_t Number(const std::string& b, std::uint64_t at, int n) {
  std::uint64_t value = 0;
  for (int i = n - 1; i >= 0; --i) value = value * 256 + static_cast<unsigned char>(b[at + i]);
  return value;
}

struct Element {
  unsigned char tag = 0;
  std::uint64_t at = 0, content = 0, end = 0;
};

// The DER element at `at` that must end by `limit`: a low tag number, a length in short form or in
// long form of 1 to 4 bytes.
bool ReadElement(const std::string& b, std::uint64_t at, std::uint64_t limit, Element& e) {
  if (at + 2 > limit) return false;
  e.tag = static_cast<unsigned char>(b[at]);
  if (e.tag % 32 == 31) return false;
  const unsigned char first = static_cast<unsigned char>(b[at + 1]);
  std::uint64_t length = first, digits = 0;
  if (first >= 128) {
    digits = first - 128;
    if (digits < 1 || digits > 4 || at + 2 + digits > limit) return false;
    length = 0;
    for (std::uint64_t i = 0; i < digits; ++i) length = length * 256 + static_cast<unsigned char>(b[at + 2 + i]);
  }
  e.at = at;
  e.content = at + 2 + digits;
  e.end = e.content + length;
  return e.end <= limit;
}

// The elements that fill parent's contents, one after the other; false when they do not.
bool Children(const std::string& b, const Element& parent, std::vector<Element>& children) {
  children.clear();
  for (std::uint64_t at = parent.content; at < parent.end;) {
    Element child;
    if (!ReadElement(b, at, parent.end, child)) return false;
    children.push_back(child);
    at = child.end;
  }
  return !children.empty();
}

// ContentInfo [0] SignedData signerInfos SignerInfo [1] Attribute, each the last element of the
// one before; the attribute is the chunk OID and a SET of exactly one OCTET STRING, whose
// contents start the chunks.
std::uint64_t ChunkAttributeValue(const std::string& b, std::uint64_t blobAt, std::uint64_t blobEnd) {
  Element e;
  if (!ReadElement(b, blobAt, blobEnd, e)) return 0;
  std::vector<Element> children;
  for (unsigned char tag : {0xA0, 0x30, 0x31, 0x30, 0xA1, 0x30}) {
    if (!Children(b, e, children) || children.back().tag != tag) return 0;
    e = children.back();
  }
  if (!Children(b, e, children) || children.size() != 2) return 0;
  const Element oid = children[0], set = children[1];
  if (b.substr(oid.at, oid.end - oid.at) != kChunkOid || set.tag != 0x31) return 0;
  if (!Children(b, set, children) || children.size() != 1 || children[0].tag != 0x04) return 0;
  return children[0].content;
}

}  // namespace

CertificateTable FindCertificateTable(const std::string& b) {
  CertificateTable t;
  if (b.size() < 64 || b[0] != 'M' || b[1] != 'Z') return t;
  const std::uint64_t pe = Number(b, 0x3C, 4);
  if (pe + 24 > b.size() || b.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return t;
  const std::uint64_t optionalSize = Number(b, pe + 20, 2), optional = pe + 24;
  if (optional + optionalSize > b.size() || optionalSize < 2) return t;
  const std::uint64_t magic = Number(b, optional, 2);
  std::uint64_t count;  // where the number of data directories stands; the directories follow it
  if (magic == 0x20B) count = 108;
  else if (magic == 0x10B) count = 92;
  else return t;
  const std::uint64_t directory = optional + count + 4 + 4 * 8;  // data directory 4, 8 bytes each
  if (optionalSize < count + 4 + 5 * 8 || Number(b, optional + count, 4) < 5) return t;
  t.at = Number(b, directory, 4);
  t.size = Number(b, directory + 4, 4);
  t.headersEnd = optional + optionalSize;
  if (t.size == 0 || t.at < t.headersEnd || t.at + t.size > b.size()) return t;
  t.present = true;

  if (t.at + t.size != b.size() || t.at % 8 != 0 || t.size % 8 != 0 || t.size < 16) return t;
  const std::uint64_t dwLength = Number(b, t.at, 4);
  if (dwLength < 8 || (dwLength + 7) / 8 * 8 != t.size || Number(b, t.at + 6, 2) != 2) return t;
  Element blob;
  if (b[t.at + 8] != 0x30 || !ReadElement(b, t.at + 8, b.size(), blob) || blob.end > t.at + dwLength) return t;
  t.holdsChunks = true;
  t.blobEnd = blob.end;
  t.chunksAt = ChunkAttributeValue(b, blob.at, blob.end);
  return t;
}

bool PassesPaddingCheck(const std::string& b) {
  const CertificateTable t = FindCertificateTable(b);
  return t.holdsChunks && b.size() - t.blobEnd <= 7 && b.substr(t.blobEnd) == std::string(b.size() - t.blobEnd, '\0');
}

std::vector<Region> Regions(const std::string& b) {
  const CertificateTable t = FindCertificateTable(b);
  if (!t.holdsChunks) return {{0, b.size(), TP_PLACE_END}};
  std::uint64_t frontEnd = t.at;
  for (std::uint64_t zeros = 0; zeros <= 7; ++zeros) {
    if (t.at < t.headersEnd + zeros + kMarker.size()) break;
    if (b.substr(t.at - zeros, zeros) != std::string(zeros, '\0')) break;
    if (b.compare(t.at - zeros - kMarker.size(), kMarker.size(), kMarker) == 0) {
      frontEnd = t.at - zeros;
      break;
    }
  }
  return {{t.chunksAt != 0 ? t.chunksAt : t.blobEnd, b.size(), TP_PLACE_SIGNATURE},
          {t.headersEnd, frontEnd, TP_PLACE_FRONT}};
}

}  // namespace literal
