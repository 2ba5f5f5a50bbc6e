#include "store/grouped.h"

// Decimal digits with a comma between groups of three, counted from the right, whatever the
// locale.
char* PutGrouped(std::uint64_t n, char* out) {
  int digits = 1;
  for (std::uint64_t power = 10; digits < 20 && n >= power; power *= 10) ++digits;
  char* end = out + digits + (digits - 1) / 3;
  char* at = end;
  for (int written = 0;; ++written) {  // from the right: a comma before every third digit
    if (written > 0 && written % 3 == 0) *--at = ',';
    *--at = static_cast<char>('0' + n % 10);
    n /= 10;
    if (n == 0) return end;
  }
}

std::string Grouped(std::uint64_t n) {
  char text[kGroupedMax];
  return std::string(text, static_cast<std::size_t>(PutGrouped(n, text) - text));
}
