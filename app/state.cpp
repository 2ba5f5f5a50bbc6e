#include "app/state.h"

namespace {
std::string gExePath;
ChunkTable gChunkTable;
platform::FileStamp gChunksStamp;
SignatureInfo gSignature;
}  // namespace

// Plain globals behind accessors, so that every user names the same two objects and tests can
// set them up and inspect them directly.
std::string& ExePath() { return gExePath; }

ChunkTable& Chunks() { return gChunkTable; }

platform::FileStamp& ChunksStamp() { return gChunksStamp; }

SignatureInfo& Signature() { return gSignature; }
