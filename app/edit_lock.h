#pragma once
// The lock an edit of the executable holds from the read that plans it to the rename that ends it.
#include <functional>
#include <string>

#include "platform/file_lock.h"
#include "platform/progress.h"
#include "platform/status.h"
#include "store/content.h"
#include "store/edit.h"
#include "store/wholefile.h"

// Takes path's lock on the worker of a RunBusy: while another stowr edit holds it, the progress
// window shows the wait and its Cancel gives up (Status::Code::Cancelled); after a minute the wait is
// a failure.
Status LockForEdit(const std::string& path, platform::FileLock& lock, const Progress& progress);

// What a failed edit names in its box: the heading, the file and the reason. Empty when it did
// not fail.
struct EditFailure {
  std::string what, path;
  Status status;
};

// An edit that puts a file the user picked into the executable, run on the worker of a RunBusy:
// under exe's edit lock, the file is stamped, edit makes the new content from it, and that is
// written, giving the new file another owner only as owner allows. Nothing is written when a file
// cannot be read (a vanished executable is not recreated empty) or when edit refuses (an empty
// file).
EditFailure EditWithFile(const std::string& exe, const std::string& file, const Progress& progress,
                         const std::function<EditResult(const SourceFile&)>& edit, Owner owner = Owner::Keep);
