// Re-encoding the DER elements that hold the chunk attribute of a signature blob.
#include "store/signature_blob.h"

#include <string>

namespace {

constexpr int kContentInfo = 0, kUnsignedAttributes = 5, kAttribute = 6;

// A DER tag and definite length, the length in its shortest form.
std::string Header(unsigned char tag, std::uint64_t length) {
  std::string header(1, static_cast<char>(tag));
  if (length < 0x80) return header + static_cast<char>(length);
  std::string digits;
  for (; length > 0; length >>= 8) digits.insert(digits.begin(), static_cast<char>(length & 0xFF));
  return header + static_cast<char>(0x80 | digits.size()) + digits;
}

// The bytes from the start of a new chunk attribute (with a new [1] in front of it when `withSet`)
// to its value's first chunk: headers, OID and `padding` zero bytes in front of `payload` bytes.
std::string AttributeHead(bool withSet, std::uint64_t padding, std::uint64_t payload) {
  const std::uint64_t value = padding + payload;
  std::string octets = Header(0x04, value);
  std::string set = Header(0x31, octets.size() + value);
  const std::uint64_t attribute = TP_CHUNK_ATTRIBUTE_OID_SIZE + set.size() + octets.size() + value;
  std::string head = Header(0x30, attribute);
  if (withSet) head = Header(0xA1, head.size() + attribute) + head;
  head.append(TP_CHUNK_ATTRIBUTE_OID, TP_CHUNK_ATTRIBUTE_OID_SIZE);
  return head + set + octets + std::string(padding, '\0');
}

// The headers of the levels [0, outer) of chain with their contents grown by change bytes (which
// their own headers' growth adds to, level by level outwards), as splices; the blob's growth.
std::int64_t Reencode(const tp_signer_chain& chain, int outer, std::int64_t change, std::vector<Splice>& splices) {
  for (int i = outer; i-- > 0;) {
    const tp_der_element& level = chain.levels[i];
    std::string header = Header(level.tag, static_cast<std::uint64_t>(level.end - level.content + change));
    change += static_cast<std::int64_t>(header.size()) - static_cast<std::int64_t>(level.content - level.at);
    splices.push_back(Splice{level.at, level.content - level.at, header});
  }
  return change;
}

}  // namespace

Status FindSignerBlob(const tp_source& source, const tp_certificate_table& table, SignerBlob& blob, bool& usable) {
  blob = {};
  usable = false;
  if (!table.holds_chunks) return Status::Success();
  tp_error error;
  if (tp_find_signer_chain(&source, table.offset + 8, table.signature_end, &blob.chain, &error) != 0)
    return SourceError(error);
  usable = blob.chain.count >= kUnsignedAttributes;
  if (!usable) return Status::Success();
  // A damaged chunk's data begin right behind its length field, where it begins.
  blob.payloadAt = source.size;
  return WalkTrailers(source, [&](const tp_trailer& trailer, const tp_blocks&) {
    if (trailer.place != TP_PLACE_SIGNATURE) return false;
    blob.payloadAt = trailer.whole ? trailer.offset : trailer.start;
    return true;
  });
}

bool PlanSignerBlob(const tp_source& source, const tp_certificate_table& table, const SignerBlob& blob,
                    std::uint64_t payload, std::vector<Splice>& splices,
                    std::vector<std::pair<std::uint64_t, std::uint64_t>>& relies) {
  const tp_signer_chain& chain = blob.chain;
  const std::uint64_t blobAt = table.offset + 8, blobEnd = chain.levels[kContentInfo].end;
  const bool ours = chain.count == TP_SIGNER_LEVELS;
  std::vector<Splice> planned;
  std::uint64_t from = blobEnd, tableSize = 0;
  std::string tail;
  int outer = chain.count >= kAttribute ? kAttribute : kUnsignedAttributes;
  if (ours) from = chain.levels[kAttribute].at;
  if (payload == 0) {
    if (!ours) return false;
    const tp_der_element& set = chain.levels[kUnsignedAttributes];
    if (set.content == from) {  // the chunk attribute was the only one: its [1] goes too
      from = set.at;
      outer = kUnsignedAttributes;
    }
    const std::int64_t grown = Reencode(chain, outer, -static_cast<std::int64_t>(blobEnd - from), planned);
    const std::uint64_t length = blobEnd - blobAt + grown;
    tableSize = (8 + length + 7) / 8 * 8;
    planned.push_back(Splice{from, source.size - from, std::string(tableSize - 8 - length, '\0')});
  } else {
    for (std::uint64_t padding = 0; padding < 16 && tableSize == 0; ++padding) {
      planned.clear();
      tail = AttributeHead(chain.count == kUnsignedAttributes, padding, payload);
      const std::int64_t change = static_cast<std::int64_t>(tail.size() + payload) - static_cast<std::int64_t>(blobEnd - from);
      const std::uint64_t length = blobEnd - blobAt + Reencode(chain, outer, change, planned);
      if (length % 8 == 0) tableSize = 8 + length;
    }
    if (tableSize == 0) return false;
    planned.push_back(Splice{from, blob.payloadAt - from, tail});
  }
  if (tableSize > 0xFFFFFFFF) return false;
  planned.push_back(SetField32(table.directory_at + 4, tableSize));
  planned.push_back(SetField32(table.offset, tableSize));
  relies.emplace_back(table.directory_at, 8);
  relies.emplace_back(table.offset, 8);
  for (int i = 0; i < outer; ++i) relies.emplace_back(chain.levels[i].at, chain.levels[i].content - chain.levels[i].at);
  if (blob.payloadAt > from) relies.emplace_back(from, blob.payloadAt - from);
  splices.insert(splices.end(), planned.begin(), planned.end());
  return true;
}
