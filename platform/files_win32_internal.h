#pragma once
// What the Win32 file primitives share: error texts and statuses, handles, paths.
#include <windows.h>
// <windows.h> maps ReplaceFile to ReplaceFileA, which would rename our own function.
#undef ReplaceFile

#include <string>

#include "platform/files_native.h"

namespace platform::win32 {

inline HANDLE Handle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
inline FileHandle FromHandle(HANDLE handle) { return reinterpret_cast<FileHandle>(handle); }

// The system's text for an error code, without the trailing line break and full stop.
std::string ErrorText(DWORD error);
Status ErrorStatus(DWORD error);
inline Status LastError() { return ErrorStatus(GetLastError()); }
// The same for an operation on path: a path too long for the system is reported as such, not as
// a missing file.
Status PathError(const std::string& path, DWORD error);

// The folder part of path (".", or a drive's root with its separator).
std::string FolderOf(const std::string& path);
// Opens a folder to work in, without letting it be renamed or deleted while the handle is open.
HANDLE OpenFolder(const std::string& folder);
// The volume serial number and file index of an open file or folder, as one text.
std::string IdentityOf(HANDLE handle);
// True while the target's path still leads to the folder opened for it.
bool FolderKept(const Target& target);

// Errors that another program holding the file briefly (a virus scanner, an indexer) causes.
inline bool IsTransient(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED; }

}  // namespace platform::win32
