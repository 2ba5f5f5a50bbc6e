#pragma once
// Peak memory of a listing, measured in a child process of its own so that nothing the benchmark
// itself holds is counted.
#include <cstdint>
#include <string>

// The child's side: runs the listing named by argv (see main.cpp) and prints the peak resident
// size in KiB before and after it.
int RunPeakChild(int argc, char** argv);

// Runs this program as a child with args and returns the growth of its peak resident size in
// bytes during the listing, or 0 when the child failed (then `error` says why).
std::uint64_t MeasurePeak(const std::string& args, std::uint64_t& childPeak, std::string& error);
