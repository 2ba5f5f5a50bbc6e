#pragma once
// Numbers as people read them: decimal digits grouped by three with commas.
#include <cstddef>
#include <cstdint>
#include <string>

// n in decimal with a comma between groups of three digits: 1234567 gives "1,234,567", 0 gives "0".
std::string Grouped(std::uint64_t n);
// The same text written at out (at most kGroupedMax characters); returns where it ends. For
// callers that format millions of numbers.
inline constexpr std::size_t kGroupedMax = 26;
char* PutGrouped(std::uint64_t n, char* out);
