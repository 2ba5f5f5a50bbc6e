#include "tools/extract_name.h"

#include <algorithm>

namespace {

constexpr std::string_view kSeparators = "\\/";
constexpr std::size_t kExtensionSize = 3;

// A Kind is any three bytes; those that would make a bad file name (control characters, the
// characters Windows refuses) or lead out of the executable's folder (separators) are replaced.
char FileNameChar(char c) {
  constexpr std::string_view kRefused = "\\/:*?\"<>|";
  auto byte = static_cast<unsigned char>(c);
  if (byte < 32 || kRefused.find(c) != std::string_view::npos) return '_';
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c;
}

}  // namespace

// The default name drops the last three characters of the executable's path (its extension
// letters, keeping the dot) and appends "tpak." and the lower-cased Kind, leading spaces
// included. The cut never reaches into the folder part, so a file name shorter than three
// characters cannot send the output into a parent folder.
std::string DefaultExtractName(std::string_view exePath, const ChunkRecord& record) {
  std::size_t nameSize = AfterLastSeparator(exePath).size();
  std::string name(exePath.substr(0, exePath.size() - std::min(kExtensionSize, nameSize)));
  name += "tpak.";
  for (char c : KindText(record)) name += FileNameChar(c);
  return name;
}

std::string_view AfterLastSeparator(std::string_view path) {
  std::size_t separator = path.find_last_of(kSeparators);
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string_view BeforeLastSeparator(std::string_view path) {
  std::size_t separator = path.find_last_of(kSeparators);
  return separator == std::string_view::npos ? std::string_view() : path.substr(0, separator);
}
