#pragma once
// File primitives the store is built on. files_posix.cpp and files_win32.cpp implement them;
// paths are single-byte text (the ANSI calls on Windows).
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/status.h"

namespace platform {

using FileHandle = std::intptr_t;  // a file descriptor, or a HANDLE on Windows
inline constexpr FileHandle kNoFile = -1;

// True when path names an existing file or folder.
bool PathExists(const std::string& path);

// Opens an existing file for reading; a missing file gives Status::Missing.
Status OpenForRead(const std::string& path, FileHandle& file, std::uint64_t& size);
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
// Creates a new, empty file in the folder of path, with a name no other file has, carrying the
// permission bits of path when it exists.
Status CreateTempBeside(const std::string& path, FileHandle& file, std::string& tempPath);
Status WriteAll(FileHandle file, const char* data, std::size_t n);
// Appends n bytes of from, starting at offset, to to at its current position.
Status CopyRange(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to);
// The same through a buffer, over ReadAt and WriteAll (files_copy.cpp).
Status CopyThroughBuffer(FileHandle from, std::uint64_t offset, std::uint64_t n, FileHandle to);
// Flushes the file's data to the disk.
Status FlushFile(FileHandle file);
// Puts tempPath in place of path in one step and makes the rename durable.
Status ReplaceFile(const std::string& tempPath, const std::string& path);
// Deletes a file; a missing file is no error.
Status RemoveFile(const std::string& path);

}  // namespace platform
