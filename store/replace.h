#pragma once
// Replacing the data of one chunk: new bytes under the same kind, at the same place in the order.
// Like the other edits (store/edit.h) it returns the new content, which the caller writes back
// with WriteWholeFile.
//
// A chunk inside a signed executable's certificate table stays there, inside the signature blob
// (store/signature_blob.h; chunks behind an older file's blob move into it), or, behind a blob
// whose signer is not found, with the zero padding in front of it set again for the new length,
// the security directory's size and the certificate entry's dwLength following; the signature
// holds. A
// chunk in front of the table is signed itself: replacing it moves the table (8-byte aligned, the
// directory's address following it), and the signature no longer verifies.
#include <cstddef>
#include <string>
#include <string_view>

#include "store/content.h"
#include "store/edit.h"

// The file with chunk `index` (1-based) of table holding the bytes of data (stamped with
// StampSource, copied when the content is written) instead of its own. The file is scanned again
// first: when it no longer matches table, status is Failed with kChangedOnDisk. Refused
// (unchanged) for an index outside table, empty data, or data too long for a chunk.
EditResult ReplaceChunk(const std::string& path, const ChunkTable& table, std::size_t index, const SourceFile& data);
// The same planned from one record, without a table: the file must still hold `count` chunks with
// `record` as chunk `index` (store/chunk_find.h finds it).
EditResult ReplaceChunk(const std::string& path, std::size_t count, std::size_t index, const ChunkRecord& record,
                        const SourceFile& data);

// The same on bytes in memory; a table that does not match them, or a refused request, gives the
// bytes as they are.
std::string ReplaceChunkBytes(std::string_view bytes, const ChunkTable& table, std::size_t index,
                              std::string_view data);
