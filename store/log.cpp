// The Activity log sink and the grouped number format used in its lines.
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

LogSink SetLogSink(LogSink sink) { return std::exchange(Sink(), std::move(sink)); }

// Decimal digits with a comma between groups of three, counted from the right, whatever the
// locale.
std::string Grouped(std::uint64_t n) {
  std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}
