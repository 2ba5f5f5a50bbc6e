#include "bench/listing.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "bench/child.h"

namespace {

// A 4 KiB body and `chunks` chunks of 10 bytes each, written through one buffer.
Status WriteManyChunks(const std::string& path, std::uint64_t chunks, std::uint64_t& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "MZ" << std::string(4094, 'x');
  std::string block;
  char trailer[32];
  for (std::uint64_t i = 0; i < chunks; ++i) {
    std::snprintf(trailer, sizeof trailer, "%08XC%02u{TlPk}", 10u, static_cast<unsigned>(i % 100));
    block.append("0123456789").append(trailer);
    if (block.size() >= (1u << 20) || i + 1 == chunks) {
      out << block;
      block.clear();
    }
  }
  bytes = static_cast<std::uint64_t>(out.tellp());
  return out ? Status::Success() : Status::Failed("cannot write " + path);
}

// Seconds a program takes with its standard output thrown away; negative on failure.
double Run(const std::vector<std::string>& words) {
  auto start = std::chrono::steady_clock::now();
  if (!RunQuietly(words)) return -1;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

Status MeasureListings(const std::string& folder, const std::vector<std::uint64_t>& counts,
                       std::vector<ListingTime>& times) {
  for (std::uint64_t count : counts) {
    const std::string path = folder + "/many-" + std::to_string(count) + ".exe";
    ListingTime time;
    time.chunks = count;
    Status status = WriteManyChunks(path, count, time.bytes);
    if (!status.ok()) return status;
    time.list = time.cat = 1e30;
    for (int turn = 0; turn < 9; ++turn) {  // in turns, so that load from elsewhere hits both alike
      double list = Run({STOWR_CLI, "list", path}), cat = Run({"/bin/cat", path});
      if (list < 0 || cat < 0) return Status::Failed("stowr-cli list or cat failed on " + path);
      time.list = std::min(time.list, list);
      time.cat = std::min(time.cat, cat);
    }
    std::filesystem::remove(path);
    times.push_back(time);
  }
  return Status::Success();
}
