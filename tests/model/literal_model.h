#pragma once
// A literal model of the Tailpack operations: every file is read whole into one byte string and
// walked from its end exactly as the format describes, with the same progress lines. It is slow
// on purpose and serves as the reference that the store is checked and measured against.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/tailpack.h"

namespace literal {

// Progress lines of one operation; a null log discards them.
using Log = std::vector<std::string>;

std::string Grouped(std::uint64_t n);
bool FileExists(const std::string& path);
// The whole file; empty when it is missing or unreadable.
std::string ReadWholeFile(const std::string& path);
bool IsBinaryChunk(std::string_view bytes);
std::uint32_t HexValue(std::string_view field);

// The scan of bytes already in memory; `name` is the path shown in the first log line. A signed
// executable whose certificate table can hold chunks is walked in the table and then in front of
// it (tests/model/literal_pe.h); any other file from its end.
void ScanBytes(const std::string& bytes, const std::string& name, ChunkTable& table, Log* log);
void ScanTailpack(const std::string& path, ChunkTable& table, Log* log);
// Where the executable's own bytes end: in front of its oldest chunk, or, in a signed executable
// without chunks in front of its certificate table, where they would stand.
std::uint64_t BodyEnd(const std::string& bytes);

std::string ReadChunkBytes(const std::string& bytes, const ChunkRecord& record);
// Reads the whole file again on every call.
std::string ReadChunk(const std::string& path, const ChunkRecord& record);

// The executable's bytes followed by the new chunk, or the bytes unchanged when refused.
std::string AppendChunkBytes(const std::string& exeBytes, const std::string& kind,
                             const std::string& data, Log* log);
// Path form: empty when the file is missing.
std::string AppendChunk(const std::string& path, const std::string& kind, const std::string& data,
                        Log* log);

std::string StripBytes(const std::string& bytes);
std::string StripTailpack(const std::string& path, Log* log);

// Cuts record `index` (1-based) of table out of bytes; an index naming no record cuts nothing.
std::string CutChunk(const std::string& bytes, const ChunkTable& table, std::size_t index);

// A table as text for test messages: "(offset,length,'kind')" per record, with ",S" or ",F" before
// the closing parenthesis for a chunk inside or in front of a certificate table.
std::string Describe(const ChunkTable& table);

}  // namespace literal
