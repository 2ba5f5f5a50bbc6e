#include "cli/select.h"

namespace {

// Kinds shorter than 3 characters are stored right-aligned with spaces.
std::string StoredKindField(std::string_view kind) {
  return kind.size() >= 3 ? std::string(kind) : std::string(3 - kind.size(), ' ') + std::string(kind);
}

}  // namespace

int SelectChunk(const std::string& text, const ChunkFile& file, FoundChunk& chunk) {
  if (text.empty() || text.front() != ':') return PickChunk(text, file, chunk);
  const std::string kind = text.substr(1);
  if (kind.empty() || kind.size() > 3) return Usage();
  Status status = FindChunkOfKind(file, StoredKindField(kind), chunk);
  if (!status.ok()) return FileFailure("cannot read", file.Path(), status);
  if (!chunk.found) return Refused(file.Path() + " has no chunk of kind " + kind);
  return kExitOk;
}

int ChooseChunk(const Args& args, std::size_t most, ChosenChunk& chosen, platform::FileLock* lock) {
  if (args.size() < 2 || args.size() > most) return Usage();
  int code = lock ? OpenForEdit(args[0], *lock, chosen.file) : OpenExe(args[0], chosen.file);
  if (code != kExitOk) return code;
  return SelectChunk(args[1], chosen.file, chosen.chunk);
}
