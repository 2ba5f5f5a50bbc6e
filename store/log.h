#pragma once
// The Activity log: the container operations hand their progress lines to it. The product's
// sink discards them; tests install a sink that captures them.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

void LogLine(std::string_view line);
// True when a sink other than the discarding one is installed: callers may skip building lines
// that nobody reads.
bool LogEnabled();

using LogSink = std::function<void(std::string_view)>;
// Installs sink (an empty function restores the discarding sink); returns the previous one.
LogSink SetLogSink(LogSink sink);

// n in decimal with a comma between groups of three digits: 1234567 gives "1,234,567", 0 gives "0".
std::string Grouped(std::uint64_t n);
// The same text written at out (at most kGroupedMax characters); returns where it ends. For
// callers that format millions of numbers.
inline constexpr std::size_t kGroupedMax = 26;
char* PutGrouped(std::uint64_t n, char* out);
