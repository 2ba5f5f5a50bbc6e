#include "tools/descriptor.h"

#include <algorithm>

#include "store/trim_spaces.h"

namespace {

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

bool IsDescriptorChar(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

}  // namespace

// Normalises what the user typed (spaces trimmed, a-z upper-cased) and judges it: exactly three
// characters among A-Z and 0-9, and not the Kind of any chunk already in table. The comparison
// is on the Kind as stored, so a short Kind with its leading spaces, or one in lower case, never
// matches a typed descriptor.
DescriptorCheck CheckDescriptor(std::string_view typed, const ChunkTable& table) {
  DescriptorCheck check;
  check.descriptor = UpperAscii(TrimSpaces(typed));
  if (check.descriptor.size() != kKindSize ||
      !std::all_of(check.descriptor.begin(), check.descriptor.end(), IsDescriptorChar)) {
    check.verdict = DescriptorVerdict::Invalid;
    return check;
  }
  bool used = std::any_of(table.begin(), table.end(), [&](const ChunkRecord& record) {
    return KindText(record) == check.descriptor;
  });
  check.verdict = used ? DescriptorVerdict::InUse : DescriptorVerdict::Accepted;
  return check;
}
