#pragma once
// The lock an edit of the executable holds from the read that plans it to the rename that ends it.
#include <string>

#include "platform/file_lock.h"
#include "platform/progress.h"
#include "platform/status.h"

// Takes path's lock on the worker of a RunBusy: while another stowr edit holds it, the progress
// window shows the wait and its Cancel gives up (Status::Code::Cancelled); after a minute the wait is
// a failure.
Status LockForEdit(const std::string& path, platform::FileLock& lock, const Progress& progress);
