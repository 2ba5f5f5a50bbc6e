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

bool LogEnabled() { return static_cast<bool>(Sink()); }

LogSink SetLogSink(LogSink sink) { return std::exchange(Sink(), std::move(sink)); }

// Decimal digits with a comma between groups of three, counted from the right, whatever the
// locale.
char* GroupedInto(std::uint64_t n, char* end) {
  while (n >= 1000) {
    unsigned group = static_cast<unsigned>(n % 1000);
    n /= 1000;
    *--end = static_cast<char>('0' + group % 10);
    *--end = static_cast<char>('0' + group / 10 % 10);
    *--end = static_cast<char>('0' + group / 100);
    *--end = ',';
  }
  do *--end = static_cast<char>('0' + n % 10);
  while ((n /= 10) != 0);
  return end;
}

std::string Grouped(std::uint64_t n) {
  char text[kGroupedMax];
  char* end = text + sizeof text;
  char* begin = GroupedInto(n, end);
  return std::string(begin, static_cast<std::size_t>(end - begin));
}
