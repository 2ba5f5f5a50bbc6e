#pragma once
// What an edit does to a file, as splices: adding a chunk, removing one or all. Each plan comes
// from one walk over a source (store/source.h), for files on disk and bytes in memory alike.
//
// In a signed executable whose certificate table holds chunks (reader/tailpack.h), a chunk goes
// inside the signature blob (store/signature_blob.h), and taking chunks out shrinks it again, so
// the signature stays valid throughout. A blob whose signer is not found takes chunks behind it,
// as older files hold them: behind zero padding that keeps the table a multiple of 8 long, the
// security directory's size and the certificate entry's dwLength growing by what was added and
// shrinking by exactly that when they are taken out.
// Taking out a chunk in front of the table changes signed bytes: the table moves (8-byte aligned
// again, the directory's address following it) and the signature no longer verifies.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/status.h"
#include "store/splice.h"
#include "store/tailpack.h"

struct EditPlan {
  std::vector<Splice> splices;
  bool breaksSignature = false;  // the file carries a code signature that the edit invalidates
  // The ranges of the file (offset, length) the plan relies on besides its size: the trailers it
  // cuts at and the headers it patches. They must still hold the same bytes when it is carried out.
  std::vector<std::pair<std::uint64_t, std::uint64_t>> relies;
};

// Adding a chunk of chunkSize bytes (data and trailer): the splices make room for it, and the
// chunk itself goes behind them, at the new end of the file.
Status PlanAppend(const tp_source& source, std::uint64_t chunkSize, EditPlan& plan);
// Adding several chunks (data and trailer of each in chunkSizes) in one write, with the bytes each
// would get when added one after the other: paddings[i] zero bytes go in front of chunk i (behind
// a signature blob; none elsewhere). The splices make room for all of them; the paddings and
// chunks go behind them, at the new end of the file.
Status PlanAppendAll(const tp_source& source, const std::vector<std::uint64_t>& chunkSizes, EditPlan& plan,
                     std::vector<std::uint64_t>& paddings);
// Removing every chunk.
Status PlanStrip(const tp_source& source, EditPlan& plan);
// Adds what the plan relies on to the bytes file must still hold when the content is written.
Status ExpectPlanned(const tp_source& source, const EditPlan& plan, SourceFile& file);

// Removing chunk `index` (1-based) of expected, which must be the file's chunks as they are now:
// otherwise the result is kChangedOnDisk. An index outside expected plans nothing.
Status PlanCut(const tp_source& source, const ChunkTable& expected, std::size_t index, EditPlan& plan);
// The same from one record: the file must still hold `count` chunks with `record` as chunk
// `index`, and nothing else of it is held.
Status PlanCutOne(const tp_source& source, std::size_t count, std::size_t index, const ChunkRecord& record,
                  EditPlan& plan);

// What the plans above say about a signature, told from a scan's findings alone: whether adding a
// chunk, or removing chunk `index` of table (index 0: every chunk), breaks the signature. The
// same verdict as the plan's for every file, except a crafted one whose certificate table holds
// a damaged chunk (the plan then says the removal breaks it; these do not).
bool AddBreaksSignature(const SignatureInfo& signature);
bool RemovalBreaksSignature(const SignatureInfo& signature, const ChunkTable& table, std::size_t index);
