#pragma once
// The file system the store is built on: an interface with the system's own as its default
// (files_posix.cpp and files_win32.cpp, files_temp_*.cpp the temporary file of a replace), and free
// functions that call the one installed. A layer in front of the system's (the tests' fault
// injection) installs itself at run time and forwards to the one it replaced. Paths are
// single-byte text (the ANSI calls on Windows).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/status.h"

namespace platform {

using FileHandle = std::intptr_t;  // a file descriptor, or a HANDLE on Windows
inline constexpr FileHandle kNoFile = -1;

// What tells that a file changed: its size, its last modification time, the last change of its
// metadata (a new mode, owner, attribute or link), in the system's own units (nanoseconds on
// POSIX, 100 ns on Windows), and which file it is (device and inode on POSIX, volume serial
// number and file index on Windows), so that another file renamed into its place counts as a
// change even with the same size and times.
struct FileStamp {
  std::uint64_t size = 0;
  std::int64_t modified = 0;
  std::int64_t changed = 0;
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileStamp&) const = default;
  bool SameFile(const FileStamp& other) const { return volume == other.volume && index == other.index; }
  // The same file with the same size and last modification: what a read of its bytes relies on.
  // A new name, link or mode moves `changed` and leaves the bytes as they were.
  bool SameData(const FileStamp& other) const {
    return SameFile(other) && size == other.size && modified == other.modified;
  }
};

// A file to be written, with its folder opened once (OpenTarget): every later step of the write
// (the checks, the temporary file, the rename, the sync) works relative to that open folder, and
// the path is checked to still lead to it around the rename, so that a folder renamed or swapped for
// a link meanwhile is never written into.
struct Target {
  FileHandle folder = kNoFile;  // the open folder
  std::string path;             // the file's path, as given
  std::string name;             // its last component, the name in the folder
  bool ownerMayChange = false;  // the new file may belong to another owner than the old one had
};

// The new content of a file while it is written, beside the file it is to replace.
struct TempFile {
  FileHandle file = kNoFile;
  FileHandle folder = kNoFile;  // the target's open folder, which the temporary file is in
  std::string path;             // its name; empty while it has none
};

// Why a write stops when the path no longer leads to the folder opened for it.
inline constexpr std::string_view kFolderChanged = "The folder changed while the file was written";
// How the refusal of a write that would give a file another owner begins (CheckOwnerKept).
inline constexpr std::string_view kOwnerWouldChange = "The file belongs to ";
inline bool IsOwnerChange(const Status& status) {
  return status.code == Status::Code::Refused && status.message.rfind(kOwnerWouldChange, 0) == 0;
}

// What the last component of a path names, the link itself when it is a symbolic link (a reparse
// point on Windows): nothing, a plain file, a link, or anything else (a folder, a device).
enum class NameKind { Missing, File, Link, Other };

// Told the bytes copied so far of one range; answering false stops the copy (Status::Code::Cancelled).
using CopyStep = std::function<bool(std::uint64_t copied)>;

class FileSystem {
 public:
  // True when path names an existing file or folder.
  virtual bool PathExists(const std::string& path) = 0;

  // Opens an existing plain file for reading. A pipe or a device is refused without waiting for a
  // writer, as are folders; a missing file gives Status::Code::Missing.
  virtual Status OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size) = 0;
  virtual Status StampOf(FileHandle file, FileStamp& stamp) = 0;
  // True when both handles are open on one file (under one name or two, or one of them the
  // standard output a shell sent into it); false when either cannot tell (a console, a pipe).
  virtual bool SameOpenFile(FileHandle a, FileHandle b) = 0;
  // Reads exactly n bytes at offset; a short read is an error.
  virtual Status ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t n) = 0;
  virtual void CloseFile(FileHandle file) = 0;

  // The file that a write to path changes: a symbolic link is followed to the file it names, so
  // replacing it updates that file instead of turning the link into a plain file. Path itself when
  // it names no existing link.
  virtual std::string ReplaceTarget(const std::string& path) = 0;
  // Opens the folder of path for a write of it (Target); the folder must exist.
  virtual Status OpenTarget(const std::string& path, Target& target) = 0;
  virtual void CloseTarget(Target& target) = 0;
  // Checks that the target may be replaced: a missing file may be created; an existing one must be
  // a plain file this user may write (no read-only attribute on Windows, write permission on
  // POSIX), and the new file must be able to keep its owner unless target.ownerMayChange.
  virtual Status CheckReplaceable(const Target& target) = 0;
  // Refuses (Status::Code::Refused, the message beginning with kOwnerWouldChange and naming both)
  // when a new file this user writes in place of path could not have path's owner and group.
  virtual Status CheckOwnerKept(const std::string& path) = 0;
  // What the target's name is in its folder (NameKind), and its stamp.
  virtual Status InspectName(const Target& target, NameKind& kind, FileStamp& stamp) = 0;

  // Creates the temporary file for a replace of the target, in its folder, with no access for
  // other users until ReplaceFile gives it its final mode. With `unnamed`, and where the system
  // allows it, the file has no name until ReplaceFile gives it one, so a crash leaves nothing
  // behind; otherwise it is named after the target with a stowr suffix, and held so that
  // RemoveStaleTemps leaves it alone while it is being written.
  virtual Status CreateTempBeside(const Target& target, TempFile& temp, bool unnamed) = 0;
  // Deletes the temporary files of earlier replaces in the target's folder (of the target or of
  // any other file there) that are provably stale: what a crash or a power cut left behind, held
  // open by nobody, with no other name.
  virtual void RemoveStaleTemps(const Target& target) = 0;
  // Creates a file for data that has no file of its own yet (standard input), open for writing and
  // reading, in path's folder and open to this user alone. It has no name where the system allows
  // it and otherwise loses its name at once (on Windows, when it is closed), so that it is gone
  // once it is closed or the program ends, however it ends.
  virtual Status CreateScratchFile(const std::string& path, FileHandle& file) = 0;
  // Puts temp in place of the target in one step and closes it. Fails with kFolderChanged, the
  // target as it was, when the path stopped leading to the target's folder.
  virtual Status ReplaceFile(TempFile& temp, const Target& target) = 0;
  // Makes the last replace in the target's folder durable. A failure means the change is made but
  // the disk has not confirmed it.
  virtual Status SyncFolder(const Target& target) = 0;
  // Closes temp and deletes it, unless ReplaceFile has put it in place.
  virtual void DiscardTemp(TempFile& temp) = 0;

  virtual Status WriteAll(FileHandle file, const char* data, std::size_t n) = 0;
  // Appends n bytes of from, starting at offset, to to at its current position, calling step
  // after every block of a few MiB.
  virtual Status CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to,
                           const CopyStep& step) = 0;
  // Flushes the file's data to the disk.
  virtual Status FlushFile(FileHandle file) = 0;
  // Deletes a file; a missing file is no error.
  virtual Status RemoveFile(const std::string& path) = 0;

 protected:
  ~FileSystem() = default;
};

// The system's own file system: POSIX natively, the ANSI Win32 calls in the Windows build.
FileSystem& NativeFiles();
// The installed file system, which the functions below call: NativeFiles() until another is
// installed.
FileSystem& Files();
// Installs files in place of the installed one, which it returns; done before the threads that
// use files start.
FileSystem& InstallFiles(FileSystem& files);

inline bool PathExists(const std::string& path) { return Files().PathExists(path); }
inline Status OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size) {
  return Files().OpenForRead(path, file, size);
}
inline Status StampOf(FileHandle file, FileStamp& stamp) { return Files().StampOf(file, stamp); }
inline bool SameOpenFile(FileHandle a, FileHandle b) { return Files().SameOpenFile(a, b); }
inline Status ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t n) {
  return Files().ReadAt(file, offset, buffer, n);
}
inline void CloseFile(FileHandle file) { Files().CloseFile(file); }
inline std::string ReplaceTarget(const std::string& path) { return Files().ReplaceTarget(path); }
inline Status OpenTarget(const std::string& path, Target& target) { return Files().OpenTarget(path, target); }
inline void CloseTarget(Target& target) { Files().CloseTarget(target); }
inline Status CheckReplaceable(const Target& target) { return Files().CheckReplaceable(target); }
inline Status CheckOwnerKept(const std::string& path) { return Files().CheckOwnerKept(path); }
inline Status InspectName(const Target& target, NameKind& kind, FileStamp& stamp) {
  return Files().InspectName(target, kind, stamp);
}
inline Status CreateTempBeside(const Target& target, TempFile& temp, bool unnamed = true) {
  return Files().CreateTempBeside(target, temp, unnamed);
}
inline void RemoveStaleTemps(const Target& target) { Files().RemoveStaleTemps(target); }
inline Status CreateScratchFile(const std::string& path, FileHandle& file) {
  return Files().CreateScratchFile(path, file);
}
inline Status ReplaceFile(TempFile& temp, const Target& target) { return Files().ReplaceFile(temp, target); }
inline Status SyncFolder(const Target& target) { return Files().SyncFolder(target); }
inline void DiscardTemp(TempFile& temp) { Files().DiscardTemp(temp); }
inline Status WriteAll(FileHandle file, const char* data, std::size_t n) { return Files().WriteAll(file, data, n); }
inline Status CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to,
                        const CopyStep& step = {}) {
  return Files().CopyRange(from, offset, n, to, step);
}
inline Status FlushFile(FileHandle file) { return Files().FlushFile(file); }
inline Status RemoveFile(const std::string& path) { return Files().RemoveFile(path); }

}  // namespace platform
