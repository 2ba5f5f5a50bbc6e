#pragma once
// Text from a file, made safe to print as part of a line on a terminal.
#include <string>
#include <string_view>

// text with its control bytes (below 32, 127, and 128 to 159) written as C escapes (\t, \n, \r,
// \xNN) and the backslash doubled, so that a stored value can neither break a line nor drive
// the terminal, and the escaped form tells the bytes apart. Other bytes are left as they are.
std::string TerminalText(std::string_view text);
// True when TerminalText would change text.
bool NeedsTerminalEscape(std::string_view text);
