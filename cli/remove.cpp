// stowr-cli remove EXE N, stowr-cli strip EXE
#include "cli/commands.h"
#include "store/edit.h"

// Cuts chunk N out; the store checks that the file still holds the chunks just scanned. Both
// commands hold the edit lock from the scan to the write.
int RunRemove(const Args& args) {
  if (args.size() != 2) return Usage();
  const std::string& exe = args[0];
  ChunkTable table;
  std::size_t index = 0;
  platform::FileLock lock;
  if (int code = LockForEdit(exe, lock)) return code;
  if (int code = LoadTable(exe, table)) return code;
  if (int code = PickChunk(exe, args[1], table, index)) return code;
  EditResult cut = CutChunk(exe, table, index);
  if (!cut.status.ok()) return FileFailure("cannot remove a chunk from", exe, cut.status);
  return WriteBack(cut.content, exe, cut.breaksSignature);
}

// Removes every chunk. A file without chunks is left alone: there is nothing to write.
int RunStrip(const Args& args) {
  if (args.size() != 1) return Usage();
  const std::string& exe = args[0];
  ChunkTable table;
  platform::FileLock lock;
  if (int code = LockForEdit(exe, lock)) return code;
  if (int code = LoadTable(exe, table)) return code;
  EditResult stripped = StripTailpack(exe);
  if (!stripped.status.ok()) return FileFailure("cannot read", exe, stripped.status);
  if (!stripped.changed) return kExitOk;
  return WriteBack(stripped.content, exe, stripped.breaksSignature);
}
