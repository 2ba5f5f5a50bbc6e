#pragma once
// Captures the Activity log while it lives.
#include <string>
#include <string_view>
#include <vector>

#include "store/log.h"

struct LogCapture {
  std::vector<std::string> lines;
  LogSink previous;
  LogCapture() { previous = SetLogSink([this](std::string_view line) { lines.emplace_back(line); }); }
  ~LogCapture() { SetLogSink(previous); }
};
