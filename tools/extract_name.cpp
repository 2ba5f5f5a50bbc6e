#include "tools/extract_name.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>

namespace {

constexpr std::string_view kSeparators = "\\/";
constexpr std::size_t kExtensionSize = 3;

// Bytes that stand for themselves in a name: printable ASCII except what Windows refuses in a
// file name, the separators, lower-case letters (the lower-cased Kind letters take their place)
// and '_', which starts an escape.
bool Plain(char c) {
  constexpr std::string_view kRefused = "\\/:*?\"<>|_";
  return c >= ' ' && c <= '~' && !(c >= 'a' && c <= 'z') && kRefused.find(c) == std::string_view::npos;
}

std::string Escaped(char c) {
  char escape[4];
  std::snprintf(escape, sizeof escape, "_%02x", static_cast<unsigned>(static_cast<unsigned char>(c)));
  return escape;
}

// The Kind as the last part of a file name. A well-formed Kind (letters and digits, with leading
// spaces when short) is only lower-cased. Other bytes are written as '_' and two hexadecimal
// digits, and so are dots and spaces at the end, which Windows would drop from the name. No two
// Kinds give the same text, even to a file system that ignores case; an empty Kind gives "_".
std::string KindPart(std::string_view kind) {
  if (kind.empty()) return "_";
  const std::size_t lastKept = kind.find_last_not_of(". ");
  const std::size_t kept = lastKept == std::string_view::npos ? 0 : lastKept + 1;
  std::string part;
  for (std::size_t i = 0; i < kind.size(); ++i) {
    const char c = kind[i];
    if (i < kept && Plain(c)) part += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    else part += Escaped(c);
  }
  return part;
}

// Windows reserves these names for devices, with any extension: "nul.tpak.txt" is not a file.
bool IsDeviceName(std::string_view fileName) {
  std::string base(fileName.substr(0, fileName.find('.')));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  if (std::find(kDevices.begin(), kDevices.end(), base) != kDevices.end()) return true;
  return base.size() == 4 && (base.rfind("COM", 0) == 0 || base.rfind("LPT", 0) == 0) && std::isdigit(base[3]);
}

// The 3 bytes of the kind field up to its first NUL, as one number: two records give the same
// default name exactly when they give the same key.
std::uint32_t NameKey(const ChunkRecord& record) {
  std::uint32_t key = 0;
  for (std::size_t i = 0; i < kKindSize && record.Kind[i] != 0; ++i)
    key |= std::uint32_t{static_cast<unsigned char>(record.Kind[i])} << (8 * i);
  return key;
}

// True when the file name ends in a dot and three characters other than dots ("app.exe").
bool HasExtensionOfThree(std::string_view exeName) {
  return exeName.size() > kExtensionSize && exeName[exeName.size() - kExtensionSize - 1] == '.' &&
         exeName.substr(exeName.size() - kExtensionSize).find('.') == std::string_view::npos;
}

// The default name of a file named like "app.exe" drops the three characters of its extension,
// keeping the dot, and appends "tpak", the tag, "." and the Kind; any other file name ("gizmo",
// "x.y") is kept whole and gets ".tpak", the tag, "." and the Kind. Only the file name changes,
// never the folder part. A name that Windows would take for a device gets a '_' in front.
std::string ExtractName(std::string_view exePath, const ChunkRecord& record, std::string_view tag) {
  const std::string_view exeName = AfterLastSeparator(exePath);
  std::string name(exeName);
  if (HasExtensionOfThree(exeName)) name.resize(exeName.size() - kExtensionSize);
  else name += '.';
  name += "tpak" + std::string(tag) + "." + KindPart(KindText(record));
  if (IsDeviceName(name)) name = "_" + name;
  return std::string(exePath.substr(0, exePath.size() - exeName.size())) + name;
}

}  // namespace

std::string DefaultExtractName(std::string_view exePath, const ChunkRecord& record) {
  return ExtractName(exePath, record, "");
}

// No Kind gives a numbered name as its default name: the default names all have a dot right
// after "tpak".
std::string NumberedExtractName(std::string_view exePath, const ChunkRecord& record, std::size_t number) {
  return ExtractName(exePath, record, std::to_string(number));
}

std::string ExtractAllNames::Next(std::string_view exePath, const ChunkRecord& record, std::size_t number) {
  const std::uint32_t key = NameKey(record);
  if (taken_[key]) return NumberedExtractName(exePath, record, number);
  taken_[key] = true;
  return DefaultExtractName(exePath, record);
}

std::string_view AfterLastSeparator(std::string_view path) {
  std::size_t separator = path.find_last_of(kSeparators);
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string_view BeforeLastSeparator(std::string_view path) {
  std::size_t separator = path.find_last_of(kSeparators);
  return separator == std::string_view::npos ? std::string_view() : path.substr(0, separator);
}
