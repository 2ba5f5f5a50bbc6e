#pragma once
// File primitives the store is built on. files_posix.cpp and files_win32.cpp implement them,
// files_temp_*.cpp the temporary file of a replace; paths are single-byte text (the ANSI calls on
// Windows).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/status.h"

// The records the primitives exchange. They are declared outside namespace platform so that the
// store tests, which compile the POSIX primitives a second time under another namespace name to
// put a fault layer in front of them, pass the same types through.
namespace file_records {

using FileHandle = std::intptr_t;  // a file descriptor, or a HANDLE on Windows

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
};

// The new content of a file while it is written, beside the file it is to replace.
struct TempFile {
  FileHandle file = -1;
  std::string path;  // its name; empty while it has none
};

// What the last component of a path names, the link itself when it is a symbolic link (a reparse
// point on Windows): nothing, a plain file, a link, or anything else (a folder, a device).
enum class NameKind { Missing, File, Link, Other };

}  // namespace file_records

namespace platform {

using file_records::FileHandle;
inline constexpr FileHandle kNoFile = -1;

using file_records::FileStamp;
using file_records::TempFile;

// True when path names an existing file or folder.
bool PathExists(const std::string& path);

// Opens an existing plain file for reading. A pipe or a device is refused without waiting for a
// writer, as are folders; a missing file gives Status::Code::Missing.
Status OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size);
Status StampOf(FileHandle file, FileStamp& stamp);
// Reads exactly n bytes at offset; a short read is an error.
Status ReadAt(FileHandle file, std::uint64_t offset, char* buffer, std::size_t n);
void CloseFile(FileHandle file);

// The file that a write to path changes: a symbolic link is followed to the file it names, so
// replacing it updates that file instead of turning the link into a plain file. Path itself when
// it names no existing link.
std::string ReplaceTarget(const std::string& path);
// Checks that path may be replaced: a missing file may be created; an existing one must be a
// plain file this user may write (no read-only attribute on Windows, write permission on POSIX).
Status CheckReplaceable(const std::string& path);

// What the last component of a path names (InspectName).
using file_records::NameKind;
Status InspectName(const std::string& path, NameKind& kind, FileStamp& stamp);

// Creates the temporary file for a replace of path, in path's folder and with its permission
// bits. With `unnamed`, and where the system allows it, the file has no name until ReplaceFile
// gives it one, so a crash leaves nothing behind; otherwise it is named after path with a stowr
// suffix, and held so that RemoveStaleTemps leaves it alone while it is being written.
Status CreateTempBeside(const std::string& path, TempFile& temp, bool unnamed = true);
// Deletes the temporary files of earlier replaces of path that no running write holds: what a
// crash or a power cut left behind.
void RemoveStaleTemps(const std::string& path);
// Puts temp in place of path in one step and closes it.
Status ReplaceFile(TempFile& temp, const std::string& path);
// Makes the last replace in path's folder durable. A failure means the change is made but the
// disk has not confirmed it.
Status SyncFolder(const std::string& path);
// Closes temp and deletes it, unless ReplaceFile has put it in place.
void DiscardTemp(TempFile& temp);

Status WriteAll(FileHandle file, const char* data, std::size_t n);
// Told the bytes copied so far of one range; answering false stops the copy (Status::Code::Cancelled).
using CopyStep = std::function<bool(std::uint64_t copied)>;
// Appends n bytes of from, starting at offset, to to at its current position, calling step after
// every block of a few MiB.
Status CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to, const CopyStep& step = {});
// The same through a buffer, over ReadAt and WriteAll (files_copy.cpp).
Status CopyThroughBuffer(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to,
                         const CopyStep& step = {});
// Flushes the file's data to the disk.
Status FlushFile(FileHandle file);
// Deletes a file; a missing file is no error.
Status RemoveFile(const std::string& path);

}  // namespace platform
