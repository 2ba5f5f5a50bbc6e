// The Authenticode digests: the signatures' DER read over the source, the image hashed by the
// platform's hash functions in one pass.
#include "store/signature_digest.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>

#include "platform/hash.h"
#include "store/source.h"
#include "store/source_blocks.h"
#include "store/walk.h"

namespace {

using namespace std::string_view_literals;

constexpr unsigned char kOid = 0x06, kOctets = 0x04, kSequence = 0x30, kSet = 0x31, kContext0 = 0xA0, kContext1 = 0xA1;

// The contents of the DER OIDs looked for.
constexpr std::string_view kSignedDataOid = "\x2a\x86\x48\x86\xf7\x0d\x01\x07\x02"sv;          // 1.2.840.113549.1.7.2
constexpr std::string_view kIndirectDataOid = "\x2b\x06\x01\x04\x01\x82\x37\x02\x01\x04"sv;     // 1.3.6.1.4.1.311.2.1.4
constexpr std::string_view kNestedSignatureOid = "\x2b\x06\x01\x04\x01\x82\x37\x02\x04\x01"sv;  // 1.3.6.1.4.1.311.2.4.1

constexpr std::size_t kHashCount = 4;  // the values of platform::HashAlgorithm

struct Algorithm {
  std::string_view oid;
  const char* name;
  std::optional<platform::HashAlgorithm> hash;  // none: named, but not checked
};
constexpr Algorithm kAlgorithms[] = {
    {"\x2b\x0e\x03\x02\x1a"sv, "SHA-1", platform::HashAlgorithm::Sha1},
    {"\x60\x86\x48\x01\x65\x03\x04\x02\x01"sv, "SHA-256", platform::HashAlgorithm::Sha256},
    {"\x60\x86\x48\x01\x65\x03\x04\x02\x02"sv, "SHA-384", platform::HashAlgorithm::Sha384},
    {"\x60\x86\x48\x01\x65\x03\x04\x02\x03"sv, "SHA-512", platform::HashAlgorithm::Sha512},
    {"\x2a\x86\x48\x86\xf7\x0d\x02\x05"sv, "MD5", std::nullopt},
};

// The elements inside a DER element, read in order. A failed read ends them and is kept in status.
class Children {
 public:
  Children(const tp_source& source, const tp_der_element& parent, Status& status)
      : source_(source), at_(parent.content), end_(parent.end), status_(status) {}

  // The next element, whatever its tag: false at the end.
  bool Any(tp_der_element& element) {
    tp_error error;
    const int got = status_.ok() ? tp_der_element_at(&source_, at_, end_, &element, &error) : 1;
    if (got < 0) status_ = SourceError(error);
    if (got != 0) return false;
    at_ = element.end;
    return true;
  }
  // The next element, when it has tag.
  bool Next(unsigned char tag, tp_der_element& element) { return Any(element) && element.tag == tag; }
  // The next element that has tag, passing over others.
  bool Find(unsigned char tag, tp_der_element& element) {
    while (Any(element))
      if (element.tag == tag) return true;
    return false;
  }
  // The last element, when it has tag.
  bool Last(unsigned char tag, tp_der_element& element) {
    bool found = false;
    for (tp_der_element next; Any(next); found = true) element = next;
    return found && at_ == end_ && element.tag == tag;
  }

 private:
  const tp_source& source_;
  std::uint64_t at_, end_;
  Status& status_;
};

// The contents of element, which must be at most limit bytes (OIDs and digests are short).
bool Contents(const tp_source& source, const tp_der_element& element, std::size_t limit, std::string& bytes,
              Status& status) {
  if (element.end - element.content > limit) return false;
  bytes.assign(static_cast<std::size_t>(element.end - element.content), '\0');
  status = ReadSource(source, element.content, bytes.data(), bytes.size());
  return status.ok();
}

// True when element is an OID whose contents are oid.
bool IsOid(const tp_source& source, const tp_der_element& element, std::string_view oid, Status& status) {
  std::string bytes;
  return element.tag == kOid && Contents(source, element, oid.size(), bytes, status) && bytes == oid;
}

// The SignedData of a ContentInfo of type signed data.
bool SignedDataOf(const tp_source& source, const tp_der_element& contentInfo, tp_der_element& signedData, Status& status) {
  Children info(source, contentInfo, status);
  tp_der_element type, content;
  return info.Next(kOid, type) && IsOid(source, type, kSignedDataOid, status) && info.Next(kContext0, content) &&
         Children(source, content, status).Next(kSequence, signedData);
}

// The DigestInfo of the SpcIndirectDataContent that signedData signs: its algorithm's OID and
// the digest, as bytes.
bool ImageDigestOf(const tp_source& source, const tp_der_element& signedData, std::string& oid, std::string& digest,
                   Status& status) {
  tp_der_element info, type, content, indirect, data, digestInfo, algorithm, algorithmOid, octets;
  if (!Children(source, signedData, status).Find(kSequence, info)) return false;  // past the version and digestAlgorithms
  Children contentInfo(source, info, status);
  if (!contentInfo.Next(kOid, type) || !IsOid(source, type, kIndirectDataOid, status) ||
      !contentInfo.Next(kContext0, content) || !Children(source, content, status).Next(kSequence, indirect))
    return false;
  Children indirectData(source, indirect, status);
  if (!indirectData.Next(kSequence, data) || !indirectData.Next(kSequence, digestInfo)) return false;
  Children digestFields(source, digestInfo, status);
  return digestFields.Next(kSequence, algorithm) && digestFields.Next(kOctets, octets) &&
         Children(source, algorithm, status).Next(kOid, algorithmOid) &&
         Contents(source, algorithmOid, 64, oid, status) && Contents(source, octets, 64, digest, status);
}

// The ContentInfos nested in the unauthenticated attributes of signedData's first signer.
void NestedOf(const tp_source& source, const tp_der_element& signedData, std::vector<tp_der_element>& nested,
              Status& status) {
  tp_der_element signers, signer, attributes, attribute, type, values, value;
  if (!Children(source, signedData, status).Last(kSet, signers) ||
      !Children(source, signers, status).Next(kSequence, signer) ||
      !Children(source, signer, status).Last(kContext1, attributes))
    return;
  for (Children each(source, attributes, status); each.Next(kSequence, attribute);) {
    Children fields(source, attribute, status);
    if (!fields.Next(kOid, type) || !IsOid(source, type, kNestedSignatureOid, status) || !fields.Next(kSet, values))
      continue;
    for (Children signatures(source, values, status); signatures.Next(kSequence, value);) nested.push_back(value);
  }
}

// The ContentInfo of the table's signature: the blob of its first certificate entry of type
// PKCS#7 signed data (revision 2.0), within the entry's dwLength.
bool OuterSignature(const tp_source& source, const tp_certificate_table& table, tp_der_element& contentInfo,
                    Status& status) {
  const std::uint64_t end = table.offset + table.size;
  for (std::uint64_t at = table.offset; at < end && end - at >= 8;) {
    unsigned char entry[8];
    status = ReadSource(source, at, reinterpret_cast<char*>(entry), sizeof entry);
    if (!status.ok()) return false;
    const std::uint64_t length = entry[0] | entry[1] << 8 | entry[2] << 16 | std::uint64_t{entry[3]} << 24;
    if (length < sizeof entry) return false;
    if (entry[4] == 0x00 && entry[5] == 0x02 && entry[6] == 0x02 && entry[7] == 0x00) {
      tp_error error;
      const int got = tp_der_element_at(&source, at + 8, std::min(end, at + length), &contentInfo, &error);
      if (got < 0) status = SourceError(error);
      return got == 0 && contentInfo.tag == kSequence;
    }
    at += (length + 7) / 8 * 8;
  }
  return false;
}

// One signature as read: its algorithm's OID and digest, when they could be read.
struct FoundDigest {
  bool nested = false, readable = false;
  std::string oid, digest;
};

// Reads the signature of contentInfo into found, and the ContentInfos nested in it into *inner
// when given.
void ReadSignature(const tp_source& source, const tp_der_element& contentInfo, bool nested,
                   std::vector<FoundDigest>& found, std::vector<tp_der_element>* inner, Status& status) {
  FoundDigest& signature = found.emplace_back();
  signature.nested = nested;
  tp_der_element signedData;
  if (!SignedDataOf(source, contentInfo, signedData, status)) return;
  signature.readable = ImageDigestOf(source, signedData, signature.oid, signature.digest, status);
  if (inner) NestedOf(source, signedData, *inner, status);
}

// The signatures of the table, the outer one first; an unreadable one when the table holds no
// signature blob. A nested signature's own nested ones are not looked for, as Windows does not.
Status FindSignatures(const tp_source& source, const tp_certificate_table& table, std::vector<FoundDigest>& found) {
  Status status;
  tp_der_element outer;
  std::vector<tp_der_element> nested;
  if (!OuterSignature(source, table, outer, status)) {
    found.emplace_back();
    return status;
  }
  ReadSignature(source, outer, false, found, &nested, status);
  for (const tp_der_element& inner : nested) ReadSignature(source, inner, true, found, nullptr, status);
  return status;
}

// The algorithm a signature names, when it could be read and is one of those known.
const Algorithm* AlgorithmOf(const FoundDigest& signature) {
  for (const Algorithm& algorithm : kAlgorithms)
    if (signature.readable && algorithm.oid == signature.oid) return &algorithm;
  return nullptr;
}

// The index of a known algorithm's hash, when it is checked.
std::optional<std::size_t> HashIndex(const Algorithm* algorithm) {
  if (!algorithm || !algorithm->hash) return std::nullopt;
  return static_cast<std::size_t>(*algorithm->hash);
}

// An OID's contents in dotted form ("1.2.840.113549.2.5").
std::string DottedOid(std::string_view oid) {
  std::string text;
  std::uint64_t value = 0;
  for (unsigned char byte : oid) {
    value = value << 7 | (byte & 0x7F);
    if (byte & 0x80) continue;
    if (text.empty()) {  // the first two arcs share one number
      text.append(std::to_string(value < 80 ? value / 40 : 2));
      value = value < 80 ? value % 40 : value - 80;
    }
    text.append(".").append(std::to_string(value));
    value = 0;
  }
  return text;
}

// The image hash of source in each algorithm wanted, in one pass over the file: everything but
// the CheckSum field, the security directory entry and the certificate table, in file order.
Status HashImage(const tp_source& source, const tp_certificate_table& table, const std::array<bool, kHashCount>& wanted,
                 std::array<std::string, kHashCount>& digests) {
  if (std::none_of(wanted.begin(), wanted.end(), [](bool want) { return want; })) return Status::Success();
  std::array<platform::Hash, kHashCount> hashes;
  for (std::size_t i = 0; i < kHashCount; ++i) {
    Status status = wanted[i] ? hashes[i].Begin(static_cast<platform::HashAlgorithm>(i)) : Status::Success();
    if (!status.ok()) return status;
  }
  const std::pair<std::uint64_t, std::uint64_t> ranges[] = {{0, table.checksum_at},
                                                            {table.checksum_at + 4, table.directory_at},
                                                            {table.directory_at + 8, table.offset},
                                                            {table.offset + table.size, source.size}};
  std::unique_ptr<char[]> buffer;
  for (const auto& [from, to] : ranges) {
    Status status = ForEachBlock(source, from, to - from, buffer, [&](std::string_view block) {
      for (std::size_t i = 0; i < kHashCount; ++i)
        if (wanted[i]) hashes[i].Update(block.data(), block.size());
    });
    if (!status.ok()) return status;
  }
  for (std::size_t i = 0; i < kHashCount; ++i) {
    Status status = wanted[i] ? hashes[i].End(digests[i]) : Status::Success();
    if (!status.ok()) return status;
  }
  return Status::Success();
}

}  // namespace

Status CheckSignatureDigests(const tp_source& source, std::vector<SignatureDigest>& digests) {
  digests.clear();
  tp_certificate_table table;
  std::vector<FoundDigest> found;
  Status status = FindCertificateTable(source, table);
  if (status.ok() && table.present) status = FindSignatures(source, table, found);
  std::array<bool, kHashCount> wanted{};
  for (const FoundDigest& signature : found)
    if (auto index = HashIndex(AlgorithmOf(signature))) wanted[*index] = true;
  std::array<std::string, kHashCount> computed;
  if (status.ok()) status = HashImage(source, table, wanted, computed);
  if (!status.ok()) return status;
  for (const FoundDigest& signature : found) {
    SignatureDigest& digest = digests.emplace_back();
    digest.nested = signature.nested;
    const Algorithm* algorithm = AlgorithmOf(signature);
    const auto index = HashIndex(algorithm);
    if (!signature.readable) continue;
    digest.algorithm = algorithm ? algorithm->name : DottedOid(signature.oid);
    digest.verdict = !index ? DigestVerdict::NotChecked
                     : computed[*index] == signature.digest ? DigestVerdict::Matches : DigestVerdict::Differs;
  }
  return Status::Success();
}
