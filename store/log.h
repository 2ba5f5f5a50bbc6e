#pragma once
// The Activity log: the container operations hand their progress lines to it. The product's
// sink discards them; tests install a sink that captures them.
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
