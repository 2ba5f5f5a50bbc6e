// Replacing a chunk's data: one splice over the chunk (its padding, data and trailer), and in a
// signed executable the certificate table's fields kept in step (store/replace.h).
#include "store/replace.h"

#include <algorithm>
#include <cstdint>

#include "store/plan.h"
#include "store/planned_cut.h"
#include "store/scan.h"
#include "store/signature_blob.h"
#include "store/splice.h"
#include "store/walk.h"

namespace {

std::uint64_t RoundUp8(std::uint64_t n) { return (n + 7) / 8 * 8; }

// A replacement as splices. The splice at `chunk` takes the old chunk out and holds the new
// chunk's padding; the new data and its trailer go right behind that padding.
struct ReplacePlan {
  EditPlan edit;
  std::size_t chunk = 0;
  std::string trailer;
};

// The new trailer: the new length, and the kind field exactly as stored.
std::string NewTrailer(const tp_trailer& old, std::uint64_t length) {
  std::string trailer = MakeTrailer(length, "");
  const std::size_t n = std::min<std::size_t>(old.kind_size, kKindSize);
  trailer.replace(kLengthDigits + kKindSize - n, n, std::string_view(old.kind + old.kind_size - n, n));
  return trailer;
}

// Finds chunk `index`, checking every record (with its number, if the file holds `count` chunks)
// against matches on the way.
template <typename Matches>
Status FindChunk(const tp_source& source, std::size_t count, Matches&& matches, std::size_t index,
                 std::uint64_t length, tp_trailer& found, std::string& trailer, FileLayout& layout) {
  std::size_t seen = 0;
  bool same = true;
  Status status = WalkTrailers(
      source,
      [&](const tp_trailer& t, const tp_blocks&) {
        const std::size_t number = count - seen;
        if (seen >= count || !matches(number, RecordOf(t))) return same = false;
        if (number == index) {
          found = t;
          trailer = NewTrailer(t, length);
        }
        ++seen;
        return true;
      },
      &layout);
  if (!status.ok()) return status;
  if (!same || seen != count) return Status::Failed(std::string(kChangedOnDisk));
  return Status::Success();
}

void Order(std::vector<Splice>& splices) {
  std::stable_sort(splices.begin(), splices.end(), [](const Splice& a, const Splice& b) { return a.at < b.at; });
}

// Plans the replacement of chunk `index` of the `count` chunks matches accepts by `length` bytes of
// data; refused (no splices) when the index is outside them or the certificate table could not
// hold the new size.
template <typename Matches>
Status PlanReplace(const tp_source& source, std::size_t count, Matches&& matches, std::size_t index,
                   std::uint64_t length, ReplacePlan& plan) {
  plan = {};
  tp_trailer old{};
  FileLayout layout;
  Status status = FindChunk(source, count, matches, index, length, old, plan.trailer, layout);
  if (!status.ok() || index < 1 || index > count) return status;
  const tp_certificate_table& table = layout.table;
  const std::uint64_t size = length + TP_TRAILER_SIZE, oldSize = old.end - old.start;
  std::vector<Splice>& splices = plan.edit.splices;
  const std::uint64_t trailerAt = old.end - std::min<std::uint64_t>(old.end - old.start, TP_TRAILER_SIZE);
  plan.edit.relies.emplace_back(trailerAt, old.end - trailerAt);
  if (table.holds_chunks) {
    plan.edit.relies.emplace_back(table.directory_at, 8);
    plan.edit.relies.emplace_back(table.offset, 14);
  }
  std::string padding;
  std::uint64_t cutAt = old.start;
  SignerBlob blob;
  bool inBlob = false;
  if (old.place == TP_PLACE_SIGNATURE) status = FindSignerBlob(source, table, blob, inBlob);
  if (!status.ok()) return status;
  if (inBlob) {  // the zero bytes in front of the oldest chunk belong to the blob's padding
    cutAt = std::max(old.start, blob.payloadAt);
    const std::uint64_t payload = source.size - blob.payloadAt - (old.end - cutAt) + size;
    if (!PlanSignerBlob(source, table, blob, payload, splices, plan.edit.relies)) return Status::Success();
  } else if (old.place == TP_PLACE_SIGNATURE) {
    padding.assign((8 - size % 8) % 8, '\0');
    const std::int64_t change = static_cast<std::int64_t>(padding.size() + size) - static_cast<std::int64_t>(oldSize);
    if (table.size + change > 0xFFFFFFFF || table.entry_length + change > 0xFFFFFFFF) return Status::Success();
    splices.push_back(SetField32(table.directory_at + 4, table.size + change));
    splices.push_back(SetField32(table.offset, table.entry_length + change));
    plan.edit.breaksSignature = oldSize % 8 != 0;
  } else if (old.place == TP_PLACE_FRONT) {
    const std::uint64_t frontEnd = layout.regions[1].end, newEnd = frontEnd - oldSize + size;
    const std::uint64_t address = RoundUp8(newEnd);
    splices.push_back(SetField32(table.directory_at, address));
    splices.push_back(Splice{frontEnd, table.offset - frontEnd, std::string(address - newEnd, '\0')});
    plan.edit.breaksSignature = true;
  } else {
    plan.edit.breaksSignature = table.present != 0;
  }
  const std::uint64_t cutSize = old.end - cutAt;
  splices.push_back(Splice{cutAt, cutSize, padding});
  Order(splices);
  const auto at = std::find_if(splices.begin(), splices.end(),
                               [&](const Splice& s) { return s.at == cutAt && s.removed == cutSize; });
  plan.chunk = static_cast<std::size_t>(at - splices.begin());
  return Status::Success();
}

bool AcceptLength(std::uint64_t length) { return length > 0 && length <= 0xFFFFFFFF; }

// The pieces of the file with the splices applied and the data (a piece of source `data`) and its
// trailer behind the chunk's splice.
std::vector<Piece> ReplacedPieces(std::uint64_t size, const ReplacePlan& plan, const Piece& data) {
  std::vector<Piece> pieces;
  std::uint64_t copied = 0;
  for (std::size_t i = 0; i < plan.edit.splices.size(); ++i) {
    const Splice& splice = plan.edit.splices[i];
    if (splice.at > copied) pieces.push_back(Piece{true, copied, splice.at - copied, {}});
    if (!splice.inserted.empty()) pieces.push_back(Piece{false, 0, 0, splice.inserted});
    if (i == plan.chunk) {
      pieces.push_back(data);
      pieces.push_back(Piece{false, 0, 0, plan.trailer});
    }
    copied = splice.at + splice.removed;
  }
  if (size > copied) pieces.push_back(Piece{true, copied, size - copied, {}});
  return pieces;
}

}  // namespace

namespace {

// The matches of a table: every record as the table holds it.
auto TableMatches(const ChunkTable& table) {
  return [&table](std::size_t number, const ChunkRecord& record) { return record == table[number - 1]; };
}

// The file at path with the chunk that plan(source, length, plan) finds holding data instead of its
// own bytes: data's file, stamped, copied when the content is written.
template <typename Plan>
EditResult ReplaceWith(const std::string& path, const SourceFile& data, Plan&& planReplace) {
  EditResult result;
  SourceFile file;
  FileSource opened;
  const std::uint64_t length = data.stamp.size;
  ReplacePlan plan;
  auto planFor = [&](const tp_source& source, EditPlan&) { return planReplace(source, length, plan); };
  result.status = OpenPlanned(path, file, opened, planFor, plan.edit);
  if (!result.status.ok()) return result;
  const tp_source& source = opened.Source();
  result.content.sources.push_back(std::move(file));
  if (plan.edit.splices.empty() || !AcceptLength(length)) {
    result.content.pieces.push_back(Piece{true, 0, source.size, {}});
    return result;
  }
  result.content.pieces = ReplacedPieces(source.size, plan, Piece{true, 0, length, {}, 1});
  result.content.sources.push_back(data);
  result.changed = true;
  result.breaksSignature = plan.edit.breaksSignature;
  return result;
}

}  // namespace

EditResult ReplaceChunk(const std::string& path, const ChunkTable& table, std::size_t index, const SourceFile& data) {
  return ReplaceWith(path, data, [&](const tp_source& source, std::uint64_t length, ReplacePlan& plan) {
    return PlanReplace(source, table.size(), TableMatches(table), index, length, plan);
  });
}

EditResult ReplaceChunk(const std::string& path, std::size_t count, std::size_t index, const ChunkRecord& record,
                        const SourceFile& data) {
  auto matches = [&](std::size_t number, const ChunkRecord& found) { return number != index || found == record; };
  return ReplaceWith(path, data, [&](const tp_source& source, std::uint64_t length, ReplacePlan& plan) {
    return PlanReplace(source, count, matches, index, length, plan);
  });
}

std::string ReplaceChunkBytes(std::string_view bytes, const ChunkTable& table, std::size_t index,
                              std::string_view data) {
  ReplacePlan plan;
  const tp_source source = tp_memory_source(bytes.data(), bytes.size());
  if (!AcceptLength(data.size()) ||
      !PlanReplace(source, table.size(), TableMatches(table), index, data.size(), plan).ok() ||
      plan.edit.splices.empty())
    return std::string(bytes);
  plan.edit.splices[plan.chunk].inserted.append(data).append(plan.trailer);
  return SplicedBytes(bytes, plan.edit.splices);
}
