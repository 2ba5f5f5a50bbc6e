#pragma once
// Kinds and descriptors lose the spaces around them, and only those.
#include <string_view>

// text without the space characters at either end; tabs and other blanks stay.
inline std::string_view TrimSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}
