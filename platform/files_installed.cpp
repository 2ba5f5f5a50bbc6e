// Which file system the free functions of files.h call. Both are set before any constructor
// runs, so a layer may install itself from one.
#include "platform/files_native.h"

namespace platform {

namespace {
constinit NativeFileSystem gNative;
constinit FileSystem* gInstalled = &gNative;
}  // namespace

FileSystem& NativeFiles() { return gNative; }
FileSystem& Files() { return *gInstalled; }

FileSystem& InstallFiles(FileSystem& files) {
  FileSystem& before = *gInstalled;
  gInstalled = &files;
  return before;
}

}  // namespace platform
