#include "app/command_line.h"

#include <algorithm>
#include <cctype>

// A quoted program name ends at the next double quote (or at the end of the line when there is
// none); an unquoted one at the first space or control character. Only spaces are dropped after
// the name: a tab there belongs to the argument, and trailing spaces stay too.
std::string ArgumentText(std::string_view commandLine) {
  std::size_t pos = 0;
  if (!commandLine.empty() && commandLine.front() == '"') {
    std::size_t close = commandLine.find('"', 1);
    pos = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (pos < commandLine.size() && static_cast<unsigned char>(commandLine[pos]) > 32) ++pos;
  }
  while (pos < commandLine.size() && commandLine[pos] == ' ') ++pos;
  return std::string(commandLine.substr(pos));
}

// The whole argument text is the path: it is neither split nor trimmed, and it need not name an
// existing file (a scan of a missing file simply finds no chunks).
std::string ExePathFromCommandLine(std::string_view commandLine) {
  std::string text = ArgumentText(commandLine);
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower.find(".exe") == std::string::npos) return {};
  std::size_t first = text.find_first_not_of('"');
  if (first == std::string::npos) return {};
  std::size_t last = text.find_last_not_of('"');
  return text.substr(first, last - first + 1);
}
