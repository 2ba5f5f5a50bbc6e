#include "tools/progress_figure.h"

#include <iterator>

#include "store/grouped.h"

std::string ProgressFigure(std::uint64_t done, std::uint64_t total) {
  struct Unit {
    std::uint64_t below, size;
    const char* name;
  };
  static constexpr Unit kUnits[] = {
      {std::uint64_t{1} << 10, 1, "bytes"},
      {std::uint64_t{1} << 20, std::uint64_t{1} << 10, "KB"},
      {std::uint64_t{10} << 30, std::uint64_t{1} << 20, "MB"},
      {~std::uint64_t{0}, std::uint64_t{1} << 30, "GB"},
  };
  const Unit* unit = kUnits;
  while (total >= unit->below && unit + 1 < std::end(kUnits)) ++unit;
  if (done > total) done = total;
  const std::uint64_t whole = total / unit->size + (total % unit->size != 0);
  const std::uint64_t part = done == total ? whole : done / unit->size;
  return Grouped(part) + " of " + Grouped(whole) + " " + unit->name;
}
