#pragma once
// The system's own file system (files.h): files_posix.cpp and files_temp_posix.cpp natively,
// files_win32.cpp and files_temp_win32.cpp in the Windows build, files_scratch_*.cpp the scratch
// file and files_identity_*.cpp the identity of open files, of either. Its calls to one another stay inside it, past any layer installed in front of it.
#include "platform/files.h"

namespace platform {

class NativeFileSystem final : public FileSystem {
 public:
  bool PathExists(const std::string& path) override;
  Status OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size) override;
  Status StampOf(FileHandle file, FileStamp& stamp) override;
  bool SameOpenFile(FileHandle a, FileHandle b) override;
  Status ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t n) override;
  void CloseFile(FileHandle file) override;
  std::string ReplaceTarget(const std::string& path) override;
  Status OpenTarget(const std::string& path, Target& target) override;
  void CloseTarget(Target& target) override;
  Status CheckReplaceable(const Target& target) override;
  Status CheckOwnerKept(const std::string& path) override;
  Status InspectName(const Target& target, NameKind& kind, FileStamp& stamp) override;
  Status CreateTempBeside(const Target& target, TempFile& temp, bool unnamed) override;
  void RemoveStaleTemps(const Target& target) override;
  Status CreateScratchFile(const std::string& path, FileHandle& file) override;
  Status ReplaceFile(TempFile& temp, const Target& target) override;
  Status SyncFolder(const Target& target) override;
  void DiscardTemp(TempFile& temp) override;
  Status WriteAll(FileHandle file, const char* data, std::size_t n) override;
  Status CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to,
                   const CopyStep& step) override;
  Status FlushFile(FileHandle file) override;
  Status RemoveFile(const std::string& path) override;

  // CopyRange through a buffer, over ReadAt and WriteAll (files_copy.cpp).
  Status CopyThroughBuffer(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to,
                           const CopyStep& step);
};

}  // namespace platform
