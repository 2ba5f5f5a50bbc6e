#include "cli/json.h"

#include <cstdio>

std::string JsonString(std::string_view text) {
  std::string json = "\"";
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte < 0x20 || byte >= 0x7F) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(byte));
      json += escape;
    } else {
      json += c;
    }
  }
  return json + '"';
}
