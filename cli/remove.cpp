// stowr-cli remove EXE CHUNK, stowr-cli strip EXE
#include "cli/commands.h"
#include "cli/select.h"
#include "store/edit.h"
#include "store/wholefile.h"

// Cuts the chunk out, planned from its record alone; the store checks that the file still holds
// that chunk at that number. Both commands hold the edit lock from the read to the write.
int RunRemove(const Args& args) {
  if (args.size() != 2) return Usage();
  const std::string& exe = args[0];
  ChunkFile file;
  FoundChunk chunk;
  std::size_t index = 0;
  platform::FileLock lock;
  if (int code = LockForEdit(exe, lock)) return code;
  if (int code = OpenExe(exe, file)) return code;
  if (int code = SelectChunk(args[1], file, chunk, index)) return code;
  file.Close();
  EditResult cut = CutChunk(exe, chunk.count, index, chunk.record);
  if (!cut.status.ok()) return FileFailure("cannot remove a chunk from", exe, cut.status);
  return WriteBack(cut.content, exe, cut.breaksSignature);
}

// Removes every chunk. A file without chunks is left alone: there is nothing to write.
int RunStrip(const Args& args) {
  if (args.size() != 1) return Usage();
  const std::string& exe = args[0];
  platform::FileLock lock;
  if (int code = LockForEdit(exe, lock)) return code;
  EditResult stripped = StripTailpack(exe);
  if (!stripped.status.ok()) return FileFailure("cannot read", exe, stripped.status);
  if (!stripped.changed) return kExitOk;
  return WriteBack(stripped.content, exe, stripped.breaksSignature);
}
