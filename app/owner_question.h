#pragma once
// The question asked before a change that would give the executable another owner: the new file
// that replaces it belongs to the user who writes it, where the system lets that user give it no
// other.
#include <string>

#include "app/signature_warning.h"
#include "platform/ui.h"
#include "store/wholefile.h"

// Asks, when the new file written in place of path could not keep its owner, whether to go on all
// the same, in a box of its own ("stowr - owner", No as the default). True when nothing needs
// asking or the user answers Yes; owner then tells the write whether the owner may change.
bool OwnerChangeMayGoOn(ui::Window window, const std::string& path, SignatureChange change, Owner& owner);
