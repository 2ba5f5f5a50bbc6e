#include "cli/terminal_text.h"

#include <cstdio>

namespace {

bool IsControl(unsigned char byte) { return byte < 0x20 || (byte >= 0x7F && byte < 0xA0); }

}  // namespace

bool NeedsTerminalEscape(std::string_view text) {
  for (char c : text)
    if (c == '\\' || IsControl(static_cast<unsigned char>(c))) return true;
  return false;
}

std::string TerminalText(std::string_view text) {
  std::string out;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (IsControl(byte)) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(byte));
      out += escape;
    } else {
      out += c;
    }
  }
  return out;
}
