// stowr-cli set EXE KIND FILE
#include <iostream>

#include "cli/commands.h"
#include "cli/new_data.h"
#include "store/chunk_compare.h"
#include "store/replace.h"
#include "store/scan.h"
#include "store/source.h"
#include "tools/descriptor.h"

namespace {

// Replaces the chunk found in place, unless it holds these bytes already.
int ReplaceFound(const std::string& exe, ChunkFile& file, const FoundChunk& chunk, const NewChunk& data) {
  FileSource opened;
  bool same = false;
  Status status = OpenSourceFile(data.file, opened);
  if (!status.ok()) return FileFailure("cannot read", data.file.path, status);
  status = ChunkHolds(file, chunk.record, opened.Source(), same);
  if (!status.ok()) return FileFailure("cannot read", exe, status);
  file.Close();
  if (same) {
    std::cerr << "stowr-cli: " << exe << ": chunk " << chunk.number << " (" << data.kind
              << ") holds these bytes already; nothing was written\n";
    return kExitOk;
  }
  EditResult replaced = ReplaceChunk(exe, chunk.count, chunk.number, chunk.record, data.file);
  if (!replaced.status.ok()) return FileFailure("cannot read", exe, replaced.status);
  if (!replaced.changed) return Refused("the chunk was refused; " + exe + " is unchanged");
  return WriteBack(replaced.content, exe, replaced.breaksSignature);
}

}  // namespace

// The newest chunk of KIND gets the data in its place in the order (inside a certificate table it
// stays there, so the signature holds); without one the data is added as a new chunk. The edit
// lock is held from the read to the write, as for every edit.
int RunSet(const Args& args) {
  if (args.size() != 3) return Usage();
  const std::string& exe = args[0];
  NewChunk data;
  DescriptorCheck check = CheckDescriptor(args[1], {});
  if (check.verdict == DescriptorVerdict::Invalid) return RefuseKind(exe, args[1]);
  data.kind = check.descriptor;
  platform::FileLock lock;
  ChunkFile file;
  FoundChunk chunk;
  InputScratch scratch;
  if (int code = OpenForEdit(exe, lock, file)) return code;
  if (int code = TakeNewData(exe, args[2], data, scratch)) return code;
  Status status = FindChunkOfKind(file, data.kind, chunk);
  if (!status.ok()) return FileFailure("cannot read", exe, status);
  if (chunk.found) return ReplaceFound(exe, file, chunk, data);
  file.Close();
  EditResult added = AppendNew(exe, {data});
  if (!added.status.ok()) return FileFailure("cannot read", exe, added.status);
  if (!added.changed) return Refused("the chunk was refused; " + exe + " is unchanged");
  return WriteBack(added.content, exe, added.breaksSignature);
}
