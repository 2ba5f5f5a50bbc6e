#include "app/state.h"

namespace {
std::string gExePath;
ChunkTable gChunkTable;
SignatureInfo gSignature;
}  // namespace

// Plain globals behind accessors, so that every user names the same two objects and tests can
// set them up and inspect them directly.
std::string& ExePath() { return gExePath; }

ChunkTable& Chunks() { return gChunkTable; }

SignatureInfo& Signature() { return gSignature; }
