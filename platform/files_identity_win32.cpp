// Which file a handle is open on, on Windows: its volume and file id. FileIdInfo also answers for
// a standard output that Wine made from a POSIX shell's redirection, where
// GetFileInformationByHandle fails; the older call serves the volumes that have no such ids.
#include <cstring>

#include "platform/files_win32_internal.h"

namespace platform {

using namespace win32;

namespace {

bool IdOf(FileHandle file, FILE_ID_INFO& id) {
  if (GetFileType(Handle(file)) != FILE_TYPE_DISK) return false;
  if (GetFileInformationByHandleEx(Handle(file), FileIdInfo, &id, sizeof id)) return true;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(Handle(file), &info)) return false;
  id = FILE_ID_INFO{};
  id.VolumeSerialNumber = info.dwVolumeSerialNumber;
  const ULONGLONG index = ULONGLONG{info.nFileIndexHigh} << 32 | info.nFileIndexLow;
  std::memcpy(id.FileId.Identifier, &index, sizeof index);
  return true;
}

}  // namespace

bool NativeFileSystem::SameOpenFile(FileHandle a, FileHandle b) {
  FILE_ID_INFO first, second;
  return IdOf(a, first) && IdOf(b, second) && first.VolumeSerialNumber == second.VolumeSerialNumber &&
         std::memcmp(&first.FileId, &second.FileId, sizeof first.FileId) == 0;
}

}  // namespace platform
