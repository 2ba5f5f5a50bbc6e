#pragma once
// What the commands of stowr-cli share: exit codes, messages, loading the chunk table.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_lock.h"
#include "platform/status.h"
#include "store/chunk_find.h"
#include "store/content.h"
#include "store/tailpack.h"
#include "store/wholefile.h"

using Args = std::vector<std::string>;  // the arguments after the command's name

enum ExitCode { kExitOk = 0, kExitUsage = 1, kExitFile = 2, kExitRefused = 3, kExitCheckFailed = 4 };

// Wrong usage: the command list on standard error, and kExitUsage.
int Usage();
// Reports a failure on path; a refused request (Status::Code::Refused) exits with kExitRefused.
int FileFailure(std::string_view action, const std::string& path, const Status& status);
int Refused(std::string_view message);
// Whether this run may give a file another owner (--allow-owner-change).
Owner OwnerRule();
// Passes on a success's warning (the disk did not confirm a write) on standard error.
void WarnIfUnconfirmed(const std::string& path, const Status& status);

// Takes exe's edit lock before the read that plans an edit, so that another stowr edit of it waits
// (saying so on standard error) and the edit is planned on what that one wrote; then refuses an
// edit whose new file could not keep exe's owner, unless --allow-owner-change.
int LockForEdit(const std::string& exe, platform::FileLock& lock);
// Opens exe for reading its chunks; a missing or unreadable exe is reported.
int OpenExe(const std::string& exe, ChunkFile& file);
// The start of every edit: exe's edit lock (LockForEdit), then exe opened (OpenExe).
int OpenForEdit(const std::string& exe, platform::FileLock& lock, ChunkFile& file);
// The start of the commands that take EXE alone: wrong usage unless args are just EXE; then EXE
// opened.
int OpenOnlyExe(const Args& args, ChunkFile& file);
// Reads a chunk number as listed (1 to the number of chunks) and finds that chunk in file
// without holding the table.
int PickChunk(const std::string& text, const ChunkFile& file, FoundChunk& chunk);
// Refuses a change that would break exe's code signature, saying which option allows it.
int RefuseBreakingSignature(const std::string& exe);
// Warns on standard error that exe's code signature will no longer verify after the change.
void WarnSignatureBroken(const std::string& exe);
// Writes an edited executable back over itself. An edit that breaks its signature is refused,
// unless --break-signature was given: then it is written after the signature warning.
int WriteBack(const Content& content, const std::string& exe, bool breaksSignature);
