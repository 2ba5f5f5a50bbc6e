// Planning adds and removals, with the certificate table of a signed executable kept in step.
#include "store/plan.h"

#include <algorithm>
#include <string_view>

#include "store/edit.h"
#include "store/signature_blob.h"
#include "store/walk.h"

namespace {

std::uint64_t RoundUp8(std::uint64_t n) { return (n + 7) / 8 * 8; }

void RelyOnTrailer(const tp_trailer& trailer, EditPlan& plan) {
  std::uint64_t n = std::min<std::uint64_t>(trailer.end, TP_TRAILER_SIZE);
  plan.relies.emplace_back(trailer.end - n, n);
}

// The directory's entry and the certificate entry's header, with the start of its signature blob.
void RelyOnTable(const tp_certificate_table& table, EditPlan& plan) {
  plan.relies.emplace_back(table.directory_at, 8);
  plan.relies.emplace_back(table.offset, 14);
}

// The table grows or shrinks at its end: the directory's size and the entry's dwLength follow.
void ResizeTable(const tp_certificate_table& table, std::int64_t change, std::vector<Splice>& splices) {
  splices.push_back(SetField32(table.directory_at + 4, table.size + change));
  splices.push_back(SetField32(table.offset, table.entry_length + change));
}

// Takes [start, end) out of the chunks in table. A damaged chunk there begins right behind the
// signature blob, which need not end on a multiple of 8: zero bytes then keep the table's length
// a multiple of 8, as a signing tool leaves it. Whether the signature still holds.
bool CutInTable(const tp_certificate_table& table, const tp_trailer& chunk, std::uint64_t start, std::uint64_t end,
                std::vector<Splice>& splices) {
  const std::uint64_t zeros = chunk.whole ? 0 : (end - start) % 8, removed = end - start - zeros;
  ResizeTable(table, -static_cast<std::int64_t>(removed), splices);
  splices.push_back(Splice{start, end - start, std::string(zeros, '\0')});
  return removed % 8 == 0;
}

// True when the zero bytes in front of a table at end + padding (those the bytes in front of end
// end with, and the padding) would let the rule of up to 7 zero bytes of padding find a marker:
// a chunk where there is none, once no front chunk is left to end in front of the table.
bool MarkerShowsThrough(const tp_source& source, std::uint64_t floor, std::uint64_t end, std::uint64_t padding) {
  char tail[TP_MARKER_SIZE + 7];
  std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(end - floor, sizeof tail));
  if (!ReadSource(source, end - n, tail, n).ok()) return false;
  std::size_t zeros = 0;
  while (zeros < n && tail[n - 1 - zeros] == 0) ++zeros;
  return zeros + padding <= 7 && n - zeros >= TP_MARKER_SIZE &&
         std::string_view(tail + n - zeros - TP_MARKER_SIZE, TP_MARKER_SIZE) == TP_MARKER;
}

// The front chunks lose the bytes [from, to), which end at or before frontEnd: the table follows
// them to the next multiple of 8, zero bytes filling the gap, and the directory's address follows
// the table. When no front chunk is left (emptied), 8 more zero bytes go in where the bytes in
// front would otherwise read as a chunk.
void CutFront(const tp_source& source, const tp_certificate_table& table, std::uint64_t frontEnd,
              std::uint64_t from, std::uint64_t to, bool emptied, std::vector<Splice>& splices) {
  std::uint64_t end = frontEnd - (to - from), address = RoundUp8(end);
  if (emptied && MarkerShowsThrough(source, table.headers_end, end, address - end)) address += 8;
  splices.push_back(SetField32(table.directory_at, address));
  std::string padding(address - end, '\0');
  if (to == frontEnd) {
    splices.push_back(Splice{from, table.offset - from, padding});
  } else {
    splices.push_back(Splice{from, to - from, {}});
    splices.push_back(Splice{frontEnd, table.offset - frontEnd, padding});
  }
}

// The chunks of table's signature region inside its blob, `change` bytes more than the file holds
// from where they begin: false, with status set, when they do not go there.
bool PlanInBlob(const tp_source& source, const tp_certificate_table& table, std::int64_t change, EditPlan& plan,
                Status& status) {
  SignerBlob blob;
  bool usable = false;
  status = FindSignerBlob(source, table, blob, usable);
  if (!status.ok() || !usable) return false;
  return PlanSignerBlob(source, table, blob, source.size - blob.payloadAt + change, plan.splices, plan.relies);
}

// Splices in file order; at one position an insertion goes in front of a replacement.
void Order(std::vector<Splice>& splices) {
  std::stable_sort(splices.begin(), splices.end(), [](const Splice& a, const Splice& b) {
    return a.at != b.at ? a.at < b.at : (a.removed == 0 && b.removed != 0);
  });
}

}  // namespace

Status PlanAppend(const tp_source& source, std::uint64_t chunkSize, EditPlan& plan) {
  plan = {};
  tp_certificate_table table;
  Status status = FindCertificateTable(source, table);
  if (!status.ok()) return status;
  if (table.holds_chunks && PlanInBlob(source, table, static_cast<std::int64_t>(chunkSize), plan, status)) {
    Order(plan.splices);
    return Status::Success();
  }
  if (!status.ok()) return status;
  const std::uint64_t padding = (8 - chunkSize % 8) % 8, added = padding + chunkSize;
  if (!table.holds_chunks || table.size + added > 0xFFFFFFFF || table.entry_length + added > 0xFFFFFFFF) {
    plan.breaksSignature = table.present != 0;  // a plain append behind everything
    return Status::Success();
  }
  ResizeTable(table, static_cast<std::int64_t>(added), plan.splices);
  plan.splices.push_back(Splice{source.size, 0, std::string(padding, '\0')});
  RelyOnTable(table, plan);
  Order(plan.splices);
  return Status::Success();
}

Status PlanAppendAll(const tp_source& source, const std::vector<std::uint64_t>& chunkSizes, EditPlan& plan,
                     std::vector<std::uint64_t>& paddings) {
  plan = {};
  paddings.assign(chunkSizes.size(), 0);
  tp_certificate_table table;
  Status status = FindCertificateTable(source, table);
  if (!status.ok()) return status;
  std::uint64_t total = 0;
  for (std::uint64_t size : chunkSizes) total += size;
  if (table.holds_chunks && PlanInBlob(source, table, static_cast<std::int64_t>(total), plan, status)) {
    Order(plan.splices);
    return Status::Success();
  }
  if (!status.ok()) return status;
  std::uint64_t added = 0;
  for (std::size_t i = 0; i < chunkSizes.size(); ++i) added += (8 - chunkSizes[i] % 8) % 8 + chunkSizes[i];
  if (!table.holds_chunks || table.size + added > 0xFFFFFFFF || table.entry_length + added > 0xFFFFFFFF) {
    plan.breaksSignature = table.present != 0;
    return Status::Success();
  }
  for (std::size_t i = 0; i < chunkSizes.size(); ++i) paddings[i] = (8 - chunkSizes[i] % 8) % 8;
  ResizeTable(table, static_cast<std::int64_t>(added), plan.splices);
  RelyOnTable(table, plan);
  Order(plan.splices);
  return Status::Success();
}

// The oldest chunk of each region goes with everything behind it in that region.
Status PlanStrip(const tp_source& source, EditPlan& plan) {
  plan = {};
  FileLayout layout;
  std::uint64_t body = 0;
  tp_trailer oldest[2]{};
  bool found[2] = {};
  Status status = WalkTrailers(
      source,
      [&](const tp_trailer& trailer, const tp_blocks&) {
        int region = trailer.place == TP_PLACE_FRONT ? 1 : 0;
        oldest[region] = trailer;
        found[region] = true;
        return true;
      },
      &layout, &body);
  if (!status.ok()) return status;
  for (int region = 0; region < 2; ++region)
    if (found[region]) RelyOnTrailer(oldest[region], plan);
  const tp_certificate_table& table = layout.table;
  if (!table.holds_chunks) {
    if (body < source.size) plan.splices.push_back(Splice{body, source.size - body, {}});
    plan.breaksSignature = table.present && body < source.size;
    return Status::Success();
  }
  SignerBlob blob;
  bool usable = false;
  if (found[0]) status = FindSignerBlob(source, table, blob, usable);
  if (!status.ok()) return status;
  if (found[0] && blob.chain.count == TP_SIGNER_LEVELS &&
      PlanSignerBlob(source, table, blob, 0, plan.splices, plan.relies)) {
    found[0] = false;
  } else if (found[0]) {
    CutInTable(table, oldest[0], oldest[0].start, source.size, plan.splices);
  }
  const std::uint64_t frontEnd = layout.regions[1].end;
  if (found[1]) CutFront(source, table, frontEnd, oldest[1].start, frontEnd, true, plan.splices);
  RelyOnTable(table, plan);
  plan.breaksSignature = found[1];
  Order(plan.splices);
  return Status::Success();
}

namespace {

// Cutting [start, end) out of the chunks inside table's blob (the zero bytes in front of the
// oldest chunk belong to the blob's padding); false, with status set, when they do not go there.
bool CutInBlob(const tp_source& source, const tp_certificate_table& table, std::uint64_t start, std::uint64_t end,
               EditPlan& plan, Status& status) {
  SignerBlob blob;
  bool usable = false;
  status = FindSignerBlob(source, table, blob, usable);
  if (!status.ok() || !usable) return false;
  start = std::max(start, blob.payloadAt);
  const std::uint64_t payload = source.size - blob.payloadAt - (end - start);
  if (payload == 0 && blob.chain.count != TP_SIGNER_LEVELS) return false;  // chunks behind the blob: cut as they are
  if (!PlanSignerBlob(source, table, blob, payload, plan.splices, plan.relies)) return false;
  if (payload > 0) plan.splices.push_back(Splice{start, end - start, {}});
  return true;
}

// The walk checks every record (with its number, if the file holds `count` chunks) against
// matches as it goes and notes where the chunk to cut begins and where the next one in its region
// begins (or the region ends).
template <typename Matches>
Status PlanCutWalk(const tp_source& source, std::size_t count, std::size_t index, Matches&& matches, EditPlan& plan) {
  plan = {};
  FileLayout layout;
  std::size_t seen = 0;
  bool same = true, nextInRegion = false, olderInRegion = false;
  tp_trailer cut{}, newer{};
  std::uint64_t nextStart = 0;
  Status status = WalkTrailers(
      source,
      [&](const tp_trailer& trailer, const tp_blocks&) {
        std::size_t number = count - seen;  // the chunk's number, if the file is unchanged
        if (seen >= count || !matches(number, RecordOf(trailer))) return same = false;
        if (number + 1 == index && newer.place == trailer.place) olderInRegion = true;
        if (number == index) {
          cut = trailer;
          nextInRegion = seen > 0 && newer.place == trailer.place;
          nextStart = newer.start;
        }
        newer = trailer;
        ++seen;
        return true;
      },
      &layout);
  if (!status.ok()) return status;
  if (!same || seen != count) return Status::Failed(std::string(kChangedOnDisk));
  if (index < 1 || index > count) return Status::Success();
  const tp_certificate_table& table = layout.table;
  RelyOnTrailer(cut, plan);
  if (table.holds_chunks) RelyOnTable(table, plan);
  const bool isFront = cut.place == TP_PLACE_FRONT;
  const std::uint64_t cutEnd = nextInRegion ? nextStart : isFront ? layout.regions[1].end : source.size;
  if (isFront) {
    CutFront(source, table, layout.regions[1].end, cut.start, cutEnd, !nextInRegion && !olderInRegion,
             plan.splices);
    plan.breaksSignature = true;
  } else if (cut.place == TP_PLACE_SIGNATURE && CutInBlob(source, table, cut.start, cutEnd, plan, status)) {
    plan.breaksSignature = false;
  } else if (cut.place == TP_PLACE_SIGNATURE) {
    if (!status.ok()) return status;
    plan.breaksSignature = !CutInTable(table, cut, cut.start, cutEnd, plan.splices);
  } else {
    if (!status.ok()) return status;
    plan.splices.push_back(Splice{cut.start, cutEnd - cut.start, {}});
    plan.breaksSignature = table.present != 0;
  }
  Order(plan.splices);
  return Status::Success();
}

}  // namespace

Status PlanCut(const tp_source& source, const ChunkTable& expected, std::size_t index, EditPlan& plan) {
  auto same = [&](std::size_t number, const ChunkRecord& record) { return record == expected[number - 1]; };
  return PlanCutWalk(source, expected.size(), index, same, plan);
}

Status PlanCutOne(const tp_source& source, std::size_t count, std::size_t index, const ChunkRecord& record,
                  EditPlan& plan) {
  auto same = [&](std::size_t number, const ChunkRecord& found) { return number != index || found == record; };
  return PlanCutWalk(source, count, index, same, plan);
}

Status ExpectPlanned(const tp_source& source, const EditPlan& plan, SourceFile& file) {
  for (const auto& [offset, length] : plan.relies) {
    Status status = ExpectBytes(source, offset, length, file);
    if (!status.ok()) return status;
  }
  return Status::Success();
}

bool AddBreaksSignature(const SignatureInfo& signature) { return signature.present && !signature.holdsChunks; }

bool RemovalBreaksSignature(const SignatureInfo& signature, const ChunkTable& table, std::size_t index) {
  if (!signature.present || table.empty()) return false;
  auto outside = [](const ChunkRecord& record) { return record.Place != TP_PLACE_SIGNATURE; };
  if (index == 0) return std::any_of(table.begin(), table.end(), outside);
  return index <= table.size() && outside(table[index - 1]);
}
