#pragma once
// The figure under a progress bar: how much of how much.
#include <cstdint>
#include <string>

// "412 of 1,124 MB": both in the unit that suits total (bytes below 1 KiB, KB below 1 MiB, MB
// below 10 GiB, GB beyond; 1 KB = 1,024 bytes), done rounded down and total rounded up, so the
// figures never claim more than is done and reach total only at the end.
std::string ProgressFigure(std::uint64_t done, std::uint64_t total);
