#pragma once
// Adding, clearing and cutting chunks. Nothing here writes the executable: each operation returns
// its new content, which the caller writes back with WriteWholeFile.
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "store/content.h"
#include "store/tailpack.h"

struct EditResult {
  Status status;         // not Ok: the file was missing or unreadable; write nothing
  bool changed = false;  // false: the request was refused (or nothing to do) and content is the file as it is
  Content content;
  bool breaksSignature = false;  // the file is signed and its signature will no longer verify afterwards
};

// The executable named by its path (relative, UNC and long paths included): its bytes followed by data and its trailer (in a signed executable
// whose certificate table holds chunks, inside that table: store/plan.h). Refused (unchanged) when
// data is empty or kind is longer than 3 characters.
EditResult AppendChunk(const std::string& exe, std::string_view kind, std::string_view data);
// The same with the data copied from a file (stamped with StampSource) when the content is
// written, so that a large file is never read whole.
EditResult AppendChunk(const std::string& exe, std::string_view kind, const SourceFile& data);
// Several chunks in one write, oldest first, with the bytes adding them one after the other would
// give. Each chunk's data comes from a stamped file, copied when the content is written. Refused
// (unchanged) when any chunk would be.
struct NewChunk {
  std::string kind;
  SourceFile file;
};
EditResult AppendChunks(const std::string& exe, const std::vector<NewChunk>& chunks);
// Bytes form: the same on an executable held in memory.
std::string AppendChunkBytes(std::string_view exeBytes, std::string_view kind, std::string_view data);

// The file without any chunk: the executable's own bytes.
EditResult StripTailpack(const std::string& path);

// The file with chunk `index` (1-based) of table cut out: its data and trailer (and the padding in
// front of it inside a certificate table), nothing else.
// The file is scanned again first; when it no longer matches table, status is Failed with
// kChangedOnDisk as message and nothing is cut.
EditResult CutChunk(const std::string& path, const ChunkTable& table, std::size_t index);
// The same planned from one record, without a table: the file must still hold `count` chunks
// with `record` as chunk `index` (store/chunk_find.h finds it).
EditResult CutChunk(const std::string& path, std::size_t count, std::size_t index, const ChunkRecord& record);

// The in-memory forms, for byte strings (tests, the bytes form above).
std::string StripTailpackBytes(std::string_view bytes);
std::string CutChunkBytes(std::string_view bytes, const ChunkTable& table, std::size_t index);
