#pragma once
// The question asked before a change that invalidates a signed program's digital signature.
#include <cstddef>

#include "platform/ui.h"

// What the change does, for the first line of the question.
enum class SignatureChange { RemoveOne, RemoveAll, Add, Replace };

// The last line of a question asked before the change: "Remove the chunk anyway?" and the like.
const char* AnywayQuestion(SignatureChange change);

// Asks whether to go on although the program's signature will no longer be valid, in a box of its
// own ("stowr - signature", No as the default). True when the user answers Yes.
bool AcceptSignatureLoss(ui::Window window, SignatureChange change);

// Before removing chunk `index` of Chunks() (index 0: every chunk): asks when the removal would
// break the signature the last refresh found. True when the removal may go on.
bool RemovalMayGoOn(ui::Window window, std::size_t index, SignatureChange change);
