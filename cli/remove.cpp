// stowr-cli remove EXE CHUNK, stowr-cli strip EXE
#include "cli/commands.h"
#include "cli/select.h"
#include "store/edit.h"
#include "store/wholefile.h"

// Cuts the chunk out, planned from its record alone; the store checks that the file still holds
// that chunk at that number. Both commands hold the edit lock from the read to the write.
int RunRemove(const Args& args) {
  platform::FileLock lock;
  ChosenChunk chosen;
  if (int code = ChooseChunk(args, 2, chosen, &lock)) return code;
  chosen.file.Close();
  const std::string& exe = args[0];
  const FoundChunk& chunk = chosen.chunk;
  EditResult cut = CutChunk(exe, chunk.count, chunk.number, chunk.record);
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
