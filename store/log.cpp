// The Activity log sink.
#include "store/log.h"

#include <utility>

namespace {

// The installed sink; empty means lines are discarded.
LogSink& Sink() {
  static LogSink sink;
  return sink;
}

}  // namespace

// Hands one progress line to the sink, which discards it unless a test has installed its own.
void LogLine(std::string_view line) {
  if (Sink()) Sink()(line);
}

bool LogEnabled() { return static_cast<bool>(Sink()); }

LogSink SetLogSink(LogSink sink) { return std::exchange(Sink(), std::move(sink)); }
