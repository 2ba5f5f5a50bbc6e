#pragma once
// stowr-cli list against reading the file once (cat FILE > /dev/null) on files of many small
// chunks: each command runs in a process of its own, standard output thrown away, the two in turns,
// and the best of several runs counts.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/status.h"

struct ListingTime {
  std::uint64_t chunks = 0;
  std::uint64_t bytes = 0;  // the file's size
  double list = 0, cat = 0;  // seconds
};

// Makes a file of each count of 10-byte chunks in folder and times both commands on it; the files
// are deleted again.
Status MeasureListings(const std::string& folder, const std::vector<std::uint64_t>& counts,
                       std::vector<ListingTime>& times);
