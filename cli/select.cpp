#include "cli/select.h"

namespace {

// Kinds shorter than 3 characters are stored right-aligned with spaces.
std::string StoredKindField(std::string_view kind) {
  return kind.size() >= 3 ? std::string(kind) : std::string(3 - kind.size(), ' ') + std::string(kind);
}

}  // namespace

int SelectChunk(const std::string& exe, const std::string& text, const ChunkTable& table, std::size_t& index) {
  if (text.empty() || text.front() != ':') return PickChunk(exe, text, table, index);
  const std::string kind = text.substr(1);
  if (kind.empty() || kind.size() > 3) return Usage();
  const std::string wanted = StoredKindField(kind);
  for (std::size_t number = table.size(); number >= 1; --number) {
    if (KindText(table[number - 1]) == wanted) {
      index = number;
      return kExitOk;
    }
  }
  return Refused(exe + " has no chunk of kind " + kind);
}
