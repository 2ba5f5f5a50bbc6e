// stowr-cli add EXE KIND FILE [KIND FILE]...
#include <cstdint>
#include <vector>

#include "cli/commands.h"
#include "cli/new_data.h"
#include "store/edit.h"
#include "tools/descriptor.h"

namespace {

// The descriptor must pass the same check as in the window's Add dialog, and no two chunks of one
// command may share it; whether a chunk of the file already has it is found by a walk that holds
// no table.
int CheckKind(std::string_view typed, const ChunkFile& exe, const std::vector<NewChunk>& earlier,
              std::string& descriptor) {
  DescriptorCheck check = CheckDescriptor(typed, {});
  if (check.verdict == DescriptorVerdict::Invalid) return RefuseKind(exe.Path(), typed);
  for (const NewChunk& chunk : earlier) {
    if (chunk.kind == check.descriptor)
      return Refused(exe.Path() + ": the kind " + check.descriptor + " is named twice; give each chunk a kind of its own");
  }
  FoundChunk used;
  Status status = FindChunkOfKind(exe, check.descriptor, used);
  if (!status.ok()) return FileFailure("cannot read", exe.Path(), status);
  if (used.found) {
    return Refused(exe.Path() + ": a chunk of kind " + check.descriptor + " is there already (chunk " +
                   std::to_string(used.number) + "); `stowr-cli set` replaces it");
  }
  descriptor = check.descriptor;
  return kExitOk;
}

// Checks one KIND FILE pair and adds it to chunks. Each data file is open only while it is
// checked, so any number of pairs can be given.
int TakeChunk(const std::string& kind, const std::string& path, const ChunkFile& exe,
              std::vector<NewChunk>& chunks, InputScratch& scratch) {
  NewChunk chunk;
  if (int code = CheckKind(kind, exe, chunks, chunk.kind)) return code;
  if (path == kStandardInput && scratch.file != platform::kNoFile)
    return Refused("standard input can give the data of one chunk only");
  if (int code = TakeNewData(exe.Path(), path, chunk, scratch)) return code;
  chunks.push_back(std::move(chunk));
  return kExitOk;
}

}  // namespace

// One chunk goes through the single add, as it always has; several through one write.
EditResult AppendNew(const std::string& exe, const std::vector<NewChunk>& chunks) {
  if (chunks.size() > 1) return AppendChunks(exe, chunks);
  return AppendChunk(exe, chunks.front().kind, chunks.front().file);
}

// Every check comes before the one write, so a refused or failed add leaves the executable as
// it was. The lock is held from the read of the table, whose kinds the new one must differ from.
int RunAdd(const Args& args) {
  if (args.size() < 3 || args.size() % 2 == 0) return Usage();
  const std::string& exe = args[0];
  ChunkFile file;
  std::vector<NewChunk> chunks;
  InputScratch scratch;
  platform::FileLock lock;
  if (int code = OpenForEdit(exe, lock, file)) return code;
  for (std::size_t i = 1; i < args.size(); i += 2)
    if (int code = TakeChunk(args[i], args[i + 1], file, chunks, scratch)) return code;
  file.Close();
  EditResult added = AppendNew(exe, chunks);
  if (!added.status.ok()) return FileFailure("cannot read", exe, added.status);
  if (!added.changed) return Refused("the chunk was refused; " + exe + " is unchanged");
  return WriteBack(added.content, exe, added.breaksSignature);
}
