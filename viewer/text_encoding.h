#pragma once
// How a Text chunk's bytes are read as characters.
#include <string_view>

// True when bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above
// U+10FFFF, no sequence cut short) and hold at least one byte above 127: text written as UTF-8,
// which the Text view shows as such. Plain ASCII and any other bytes are shown in the system's
// code page.
bool ReadsAsUtf8(std::string_view bytes);
