// Feeds arbitrary bytes to the trailer walk, the reader and the in-memory edits, in one of three
// shapes: as they are, behind a PE header whose security directory comes from the input, or as a
// signed program whose certificate table the input shapes (well formed or lying in one of the
// ways tailpack_reader.h rejects). The literal model (tests/model) is the judge: the reader and the
// store must find the chunks it finds, and the files the edits give are read by it. Checks that
// records stand in file order inside the file, that edits plan splices inside the file, that strip
// and cut of a plain file remove exactly what they say, and that an added chunk is found.
//
// Every check is linear in the input (a few walks and planned edits, never one walk per chunk), so
// that a grown corpus of inputs with hundreds of chunks still runs at over ten thousand a second.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "reader/tailpack_reader.h"
#include "store/edit.h"
#include "store/padding_check.h"
#include "store/signature_digest.h"
#include "store/plan.h"
#include "store/tailpack.h"
#include "tests/model/literal_model.h"
#include "tests/model/literal_pe.h"
#include "tests/support/pe_image.h"

namespace {

// A failed check names itself before it ends the run, so that a finding says what broke.
#define Check(condition)                                                                  \
  do {                                                                                    \
    if (!(condition)) {                                                                   \
      std::fprintf(stderr, "scan_fuzz.cpp:%d: check failed: %s\n", __LINE__, #condition); \
      std::abort();                                                                       \
    }                                                                                     \
  } while (0)

// The chunks the literal model finds, oldest first.
ChunkTable ModelScan(std::string_view bytes) {
  ChunkTable table;
  literal::ScanBytes(std::string(bytes), "", table, nullptr);
  return table;
}

// The reader and the store find the model's records, in the same places (the store's cut plan
// refuses a table that is not the one it walks); the reader reads exactly the bytes of each
// record that lies inside the file, and by kind it finds the newest of that kind.
void CheckReader(std::string_view bytes, const ChunkTable& table) {
  EditPlan plan;
  Check(PlanCut(tp_memory_source(bytes.data(), bytes.size()), table, 0, plan).ok());
  tailpack::Listing listing = tailpack::ListChunksInMemory(bytes);
  Check(listing.ok() && listing.chunks.size() == table.size());
  for (std::size_t i = 0; i < table.size(); ++i) {
    const tailpack::Chunk& chunk = listing.chunks[i];
    Check(chunk.kind == KindText(table[i]) && chunk.length == table[i].Length && chunk.offset + 1 == table[i].Offset);
    Check(static_cast<int>(chunk.place) == static_cast<int>(table[i].Place));
  }
  Check(listing.body == literal::BodyEnd(std::string(bytes)));
  if (table.empty()) return;
  const tailpack::Chunk& newest = listing.chunks.back();
  tailpack::ChunkBytes data = tailpack::ReadChunk(tailpack::MemorySource(bytes), newest);
  bool inside = newest.offset + newest.length <= bytes.size();
  Check(data.found && data.ok() == inside);
  Check(!inside || data.bytes == bytes.substr(newest.offset, newest.length));
  if (newest.kind.size() == 3 && newest.kind.find('\0') == std::string::npos) {
    tailpack::ChunkBytes byKind = tailpack::ReadChunk(tailpack::MemorySource(bytes), std::string_view(newest.kind));
    Check(byKind.found && byKind.bytes == data.bytes);
  }
}

// Splices are sorted, do not overlap and lie inside the file.
void CheckSplices(const EditPlan& plan, std::uint64_t size) {
  std::uint64_t done = 0;
  for (const Splice& splice : plan.splices) {
    Check(splice.at >= done && splice.removed <= size - splice.at);
    done = splice.at + splice.removed;
  }
}

// The same chunk in two files: kind, length and place, and the data of a whole one. Chunks moved
// into a signature blob change their offsets.
bool SameChunk(const ChunkRecord& a, std::string_view aBytes, const ChunkRecord& b, std::string_view bBytes) {
  if (KindText(a) != KindText(b) || a.Length != b.Length || a.Place != b.Place) return false;
  const bool whole = a.Offset - 1 + a.Length + TP_TRAILER_SIZE <= aBytes.size() &&
                     b.Offset - 1 + b.Length + TP_TRAILER_SIZE <= bBytes.size();
  return !whole || aBytes.substr(a.Offset - 1, a.Length) == bBytes.substr(b.Offset - 1, b.Length);
}

bool MarkerAt(std::string_view bytes, std::uint64_t at) {
  return at <= bytes.size() && TP_MARKER_SIZE <= bytes.size() - at && bytes.substr(at, TP_MARKER_SIZE) == TP_MARKER;
}

// A chunk that may be damaged: its data are not followed by its trailer, or its offset is that of
// its kind (the marker follows 3 bytes on), as a damaged chunk's is.
bool MaybeDamaged(const ChunkRecord& record, std::string_view bytes) {
  const std::uint64_t start = record.Offset - 1;
  return !MarkerAt(bytes, start + record.Length + TP_TRAILER_SIZE - TP_MARKER_SIZE) || MarkerAt(bytes, start + 3);
}

// The store's verdict, checked against the model's.
bool PassesPaddingCheck(std::string_view bytes) {
  PaddingCheck check;
  Check(CheckCertificatePadding(tp_memory_source(bytes.data(), bytes.size()), check).ok());
  const bool passes = check.verdict == PaddingVerdict::Passes;
  Check(passes == literal::PassesPaddingCheck(std::string(bytes)));
  return passes;
}

// A chunk added to the bytes is the newest one found afterwards, with its data, and the chunks
// before it stay as they were, unless the add made a table that lay beyond the file true. Added
// to a signed program whose signer is found, it goes inside the blob: the padding check holds.
void CheckAppend(std::string_view bytes, const ChunkTable& table, bool signer) {
  const std::string data = "added{TlPk}";
  EditPlan plan;
  Check(PlanAppend(tp_memory_source(bytes.data(), bytes.size()), data.size() + TP_TRAILER_SIZE, plan).ok());
  CheckSplices(plan, bytes.size());
  std::string added = AppendChunkBytes(bytes, "NEW", data);
  ChunkTable after = ModelScan(added);
  Check(!after.empty() && KindText(after.back()) == "NEW" && after.back().Length == data.size());
  Check(added.substr(after.back().Offset - 1, data.size()) == data);
  const literal::CertificateTable before = literal::FindCertificateTable(std::string(bytes));
  const literal::CertificateTable now = literal::FindCertificateTable(added);
  if (before.present != now.present || before.at != now.at) return;
  Check(after.size() == table.size() + 1);
  // A damaged chunk at the start of a blob's chunks reads its length field up to the padding in
  // front of it, which an edit inside the blob may change: it may be whole afterwards.
  for (std::size_t i = 0; i < table.size(); ++i)
    Check(SameChunk(after[i], added, table[i], bytes) || (signer && MaybeDamaged(table[i], bytes)));
  Check(!signer || !before.holdsChunks || PassesPaddingCheck(added));
  Check(plan.breaksSignature == (before.present && !before.holdsChunks));
}

// Strip and cut plan splices inside the file. Stripping leaves no chunk; in a file read from its
// end it keeps exactly the bytes in front of the oldest chunk, and a cut removes exactly the
// bytes from a chunk to the next one.
void CheckRemovals(std::string_view bytes, const ChunkTable& table, std::uint64_t remaining, bool plain,
                   bool signer) {
  EditPlan plan;
  Check(PlanStrip(tp_memory_source(bytes.data(), bytes.size()), plan).ok());
  CheckSplices(plan, bytes.size());
  std::string stripped = SplicedBytes(bytes, plan.splices);
  // Unless taking chunks off the end left a signed program whose table now ends the file (its
  // chunks from before signing then show, as in any signed program), nothing is left.
  bool nowSigned = plain && literal::FindCertificateTable(stripped).holdsChunks;
  Check(nowSigned || ModelScan(stripped).empty());
  Check(!plain || stripped == bytes.substr(0, remaining));
  signer = signer && PassesPaddingCheck(bytes);  // a file that passes the padding check keeps passing it
  Check(!signer || PassesPaddingCheck(stripped));
  // One chunk per input, picked by the input's size: over many inputs every kind of neighbour
  // comes up, and the check stays one walk.
  if (!table.empty()) {
    const std::size_t index = 1 + bytes.size() % table.size();
    Check(PlanCut(tp_memory_source(bytes.data(), bytes.size()), table, index, plan).ok());
    CheckSplices(plan, bytes.size());
    if (signer && table[index - 1].Place == TP_PLACE_SIGNATURE) {  // the others keep their data
      std::string cut = SplicedBytes(bytes, plan.splices);
      ChunkTable kept = ModelScan(cut);
      Check(PassesPaddingCheck(cut) && kept.size() == table.size() - 1);
      for (std::size_t i = 0; i < kept.size(); ++i) {
        const ChunkRecord& old = table[i < index - 1 ? i : i + 1];
        Check(SameChunk(kept[i], cut, old, bytes) || MaybeDamaged(old, bytes));
      }
    }
    if (!plain) return;
    std::uint64_t cutStart = table[index - 1].Offset - 1;
    std::uint64_t cutEnd = index < table.size() ? table[index].Offset - 1 : bytes.size();
    std::string cut = SplicedBytes(bytes, plan.splices);
    Check(cut.size() == bytes.size() - (cutEnd - cutStart));
    Check(std::string_view(cut).substr(0, cutStart) == bytes.substr(0, cutStart));
    Check(std::string_view(cut).substr(cutStart) == bytes.substr(cutEnd));
  }
}

// Each record's trailer ends where the next record's data begin (or at the end of the file). A
// whole chunk has its data and trailer in front of that point; a damaged one keeps its length
// field, so its "data" begin 9 bytes (marker and kind) before that point.
void CheckPlainRecords(std::string_view bytes, const ChunkTable& table, std::uint64_t remaining) {
  const std::uint64_t size = bytes.size();
  for (std::size_t i = 0; i < table.size(); ++i) {
    const ChunkRecord& record = table[i];
    std::uint64_t end = i + 1 < table.size() ? table[i + 1].Offset - 1 : size;
    Check(record.Offset >= 1 && record.Offset - 1 < end && end <= size && record.Place == TP_PLACE_END);
    Check(record.Kind[3] == '\0');
    bool whole = record.Offset - 1 + record.Length + TP_TRAILER_SIZE == end;
    bool damaged = record.Offset - 1 == end - (end < 9 ? end : 9);
    Check(whole || damaged);
  }
  Check(remaining == (table.empty() ? size : table.front().Offset - 1));
}

// The digests of any table read without failing: a verdict at least for every table there is.
void CheckDigests(std::string_view bytes) {
  std::vector<SignatureDigest> digests;
  Check(CheckSignatureDigests(tp_memory_source(bytes.data(), bytes.size()), digests).ok());
  Check(digests.empty() != literal::FindCertificateTable(std::string(bytes)).present);
}

// signer: a signed program whose blob's last signer is found.
void CheckShape(std::string_view bytes, bool signer = false) {
  ChunkTable table = ModelScan(bytes);
  const std::uint64_t remaining = literal::BodyEnd(std::string(bytes));
  Check(remaining <= bytes.size());
  const bool plain = !literal::FindCertificateTable(std::string(bytes)).holdsChunks;
  if (plain) CheckPlainRecords(bytes, table, remaining);
  for (const ChunkRecord& record : table) Check(record.Offset >= 1 && record.Offset - 1 <= bytes.size());
  CheckReader(bytes, table);
  CheckRemovals(bytes, table, remaining, plain, signer);
  CheckAppend(bytes, table, signer);
  CheckDigests(bytes);
}

constexpr std::size_t kDirectoryAt = pe_image::SecurityDirectoryAt(true);

void Put32(std::string& bytes, std::size_t at, std::uint32_t value) { pe_image::Put(bytes, at, value, 4); }

// The input behind the header, with the security directory taken from its first 8 bytes, so that
// any table position and size can come up.
std::string AsSignedExecutable(std::string_view input) {
  std::string pe = pe_image::MinimalPe(true);
  std::string_view directory = input.substr(0, 8);
  pe.replace(kDirectoryAt, directory.size(), directory);
  return pe + std::string(input.substr(directory.size()));
}

// A signed program shaped by the input: byte 0 picks how its table lies (most values: it does not)
// or, from 8 to 10, a blob with a signer (see pe_image::SignerBlob; 10 with the input's chunks inside it);
// byte 1 the length of the signature blob or the signer's filler (values from 0xF0 on: near 64
// KiB); byte 2 where the input splits into the bytes in front of the table and those inside it.
std::string AsSignedProgram(std::string_view input, bool& signer) {
  if (input.size() < 3) return {};
  const unsigned lie = static_cast<unsigned char>(input[0]) % 16, blob = 2 + static_cast<unsigned char>(input[1]) % 120;
  const unsigned char shape = static_cast<unsigned char>(input[1]);
  const std::size_t filler = shape >= 0xF0 ? 65400 + (shape - 0xF0) * 16u : shape * 3u;
  signer = lie >= 8 && lie <= 10;
  std::string_view rest = input.substr(3);
  std::size_t split = std::min<std::size_t>(static_cast<unsigned char>(input[2]) * 16, rest.size());
  std::string bytes = pe_image::MinimalPe(true) + std::string(rest.substr(0, split));
  bytes.append((8 - bytes.size() % 8) % 8 + (lie == 1 ? 1 : 0), '\0');  // 1: not 8-aligned
  const std::size_t tableAt = bytes.size();
  std::string table(8 + blob, '\x5a');
  table[8] = 0x30;
  table[9] = static_cast<char>(blob - 2);
  if (signer) {  // chunks inside the blob come behind zero bytes that make it a multiple of 8 long
    std::string inside = lie == 10 ? std::string(rest.substr(split)) : "", der;
    for (std::size_t zeros = 0; zeros < 16 && (der.empty() || der.size() % 8 != 0); ++zeros)
      der = pe_image::SignerBlob(filler, static_cast<int>(lie) - 8, std::string(zeros, '\0') + inside);
    table = std::string(8, '\0') + der;
  }
  table.append((8 - table.size() % 8) % 8, '\0');
  if (lie != 10) table.append(rest.substr(split));
  if (lie == 2) table.append(table.substr(0, 8 + blob));  // two entries
  const std::uint32_t size = static_cast<std::uint32_t>(table.size());
  Put32(table, 0, lie == 3 ? size - 8 : size);  // 3: dwLength disagrees
  Put32(table, 4, lie == 4 ? 0x00010200 : 0x00020200);  // 4: not signed data
  if (lie == 5) table[8] = 0x31;  // not a DER sequence
  bytes += table;
  Put32(bytes, kDirectoryAt, static_cast<std::uint32_t>(tableAt - (lie == 6 ? 8 : 0)));  // 6: overlaps the chunks
  Put32(bytes, kDirectoryAt + 4, lie == 7 ? size + 8 : size);                      // 7: reaches beyond the file
  return bytes;
}

}  // namespace

// The first byte picks the shape: half of the inputs are taken as they are, a quarter each go
// behind a PE header or into a signed program.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  switch (size == 0 ? 0 : data[0] % 4) {
    case 2: CheckShape(AsSignedExecutable(bytes.substr(1))); break;
    case 3: {
      bool signer = false;
      std::string program = AsSignedProgram(bytes.substr(1), signer);
      CheckShape(program, signer);
      break;
    }
    default: CheckShape(bytes); break;
  }
  return 0;
}
