// stowr-cli add EXE KIND FILE
#include <cstdint>

#include "cli/commands.h"
#include "store/edit.h"
#include "store/log.h"
#include "tools/descriptor.h"

namespace {

// The descriptor must pass the same check as in the window's Add dialog.
int CheckKind(std::string_view typed, const ChunkTable& table, std::string& descriptor) {
  DescriptorCheck check = CheckDescriptor(typed, table);
  switch (check.verdict) {
    case DescriptorVerdict::Invalid:
      return Refused("Invalid descriptor! Please type only 3 characters among A-Z and 0-9.");
    case DescriptorVerdict::InUse:
      return Refused("This descriptor is already in use! Please choose another one...");
    case DescriptorVerdict::Accepted:
      break;
  }
  descriptor = check.descriptor;
  return kExitOk;
}

// The chunk's data: a plain file that exists, can be read, is not empty and fits the eight
// hexadecimal digits of a length field. It is copied when the executable is written, never read
// whole here.
int CheckData(const std::string& path, SourceFile& data) {
  Status status = StampSource(path, data);
  if (!status.ok()) return FileFailure("cannot read", path, status);
  if (data.stamp.size == 0) return Refused(path + " is empty; a chunk needs at least one byte");
  if (data.stamp.size > UINT32_MAX) {
    return Refused(path + " is too large for a chunk (at most " + Grouped(UINT32_MAX) + " bytes)");
  }
  return kExitOk;
}

}  // namespace

// Every check comes before the one write, so a refused or failed add leaves the executable as
// it was. The lock is held from the read of the table, whose kinds the new one must differ from.
int RunAdd(const Args& args) {
  if (args.size() != 3) return Usage();
  const std::string& exe = args[0];
  ChunkTable table;
  std::string descriptor;
  SourceFile data;
  platform::FileLock lock;
  if (int code = LockForEdit(exe, lock)) return code;
  if (int code = LoadTable(exe, table)) return code;
  if (int code = CheckKind(args[1], table, descriptor)) return code;
  if (int code = CheckData(args[2], data)) return code;
  EditResult added = AppendChunk(ExeFile{exe}, descriptor, data);
  if (!added.status.ok()) return FileFailure("cannot read", exe, added.status);
  if (!added.changed) return Refused("the chunk was refused; " + exe + " is unchanged");
  return WriteBack(added.content, exe, added.breaksSignature);
}
