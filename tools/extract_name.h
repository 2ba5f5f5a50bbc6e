#pragma once
// File names for extracted chunks.
#include <string>
#include <string_view>

#include "store/tailpack.h"

// exePath without its extension's three letters, then "tpak." and the Kind in lower case:
// C:\Tools\app.exe and TXT give C:\Tools\app.tpak.txt. Any Kind gives a name that Windows keeps
// as it is (no trailing dot or space, no device name) and that no other Kind of the same
// executable gives: other bytes are written as '_' and two hexadecimal digits.
std::string DefaultExtractName(std::string_view exePath, const ChunkRecord& record);

// The part of path after its last backslash or slash (the whole path when it has none).
std::string_view AfterLastSeparator(std::string_view path);
// The part of path before its last backslash or slash, without that separator ("" when none).
std::string_view BeforeLastSeparator(std::string_view path);
