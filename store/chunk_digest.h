#pragma once
// The chunks of a file with a content hash: each chunk's data read once, in blocks, for its
// SHA-256 and its Text/Binary type together.
#include <functional>
#include <string>
#include <string_view>

#include "platform/status.h"
#include "store/tailpack.h"

// A record, its type (as ScanTailpackRows tells it) and the SHA-256 of its data in lower-case
// hexadecimal; empty for a chunk that reaches beyond the end of the file.
using HashedRowVisit = std::function<void(const ChunkRecord& record, bool binary, std::string_view sha256)>;

// The rows of ScanTailpackRows with the hash of every chunk, oldest first, through one open of the
// file and without holding the table. Fails with the reason of a failed read.
Status ScanTailpackHashedRows(const std::string& path, const HashedRowVisit& row);
