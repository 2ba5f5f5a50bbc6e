#pragma once
// The program's process-wide state: the executable being worked on and its chunks as last scanned.
// The Main window alone changes them; everyone else reads them.
#include <string>

#include "platform/files.h"
#include "store/tailpack.h"

// The full path of the executable being worked on; empty while none is chosen.
std::string& ExePath();
// The chunks of ExePath() found by the last refresh, oldest first (row k shows Chunks()[k - 1]).
ChunkTable& Chunks();
// The stamp of ExePath() when the last refresh read Chunks(): reads of its chunks check it.
platform::FileStamp& ChunksStamp();
// The code signature of ExePath() as the last refresh found it.
SignatureInfo& Signature();
