#pragma once
// Peak memory of stowr-cli's commands on a chunk and a file of a few GiB: each command runs in a
// process of its own, and its peak resident size comes from the system (getrusage of the child,
// as /usr/bin/time reports it).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

struct CommandPeak {
  std::string command;      // as typed, with the folder left out
  std::uint64_t peak = 0;   // bytes
};

// Makes a file of `size` bytes in folder, adds it to a small executable as a chunk and runs list,
// add, cat, extract, remove and strip over that executable, in that order, then add and set with
// `size` bytes from a pipe. Everything made is deleted again.
Status MeasureCommandPeaks(const std::string& folder, std::uint64_t size, std::vector<CommandPeak>& peaks);
