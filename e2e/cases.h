#pragma once
// The tables of end-to-end cases. A case is one function; adding one is a function and a row.
#include <vector>

#include "e2e/check.h"

namespace e2e {

struct Case {
  const char* name;
  bool (*run)(Run& run);
};

std::vector<Case> MainWindowCases();
std::vector<Case> ChunkToolCases();
std::vector<Case> ViewerCases();
std::vector<Case> DesktopCases();
std::vector<Case> ProgressCases();
std::vector<Case> SignedCases();
std::vector<Case> SharedFileCases();
std::vector<Case> HabitCases();
// Timed cases, run only when named.
std::vector<Case> WindowBenchCases();

}  // namespace e2e
