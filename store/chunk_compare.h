#pragma once
// Whether a chunk already holds given bytes, so that writing them again can be left out.
#include "platform/status.h"
#include "store/chunk_file.h"
#include "store/source.h"
#include "store/tailpack.h"

// Sets same when the record's data (checked against its trailer first) equals the bytes of data,
// read in blocks from both.
Status ChunkHolds(const ChunkFile& exe, const ChunkRecord& record, const tp_source& data, bool& same);
