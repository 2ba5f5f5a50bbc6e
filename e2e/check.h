#pragma once
// What one end-to-end case knows about its run, and the checks that end it at the first failure.
#include <string>

namespace e2e {

struct Run {
  std::string program;  // full Windows path of stowr.exe
  std::string folder;   // an empty folder of this case's own, with a trailing backslash
  std::string failure;  // first failure, empty while the case passes
};

// Records the first failure of the case and returns false, so a case can `return Fail(...)`.
bool Fail(Run& run, int line, const std::string& what);

}  // namespace e2e

#define E2E_CHECK(cond)                                  \
  do {                                                   \
    if (!(cond)) return ::e2e::Fail(run, __LINE__, #cond); \
  } while (0)

// Compares two texts and shows both when they differ.
#define E2E_EQ(actual, expected)                                                              \
  do {                                                                                        \
    const std::string e2eActual = (actual), e2eExpected = (expected);                         \
    if (e2eActual != e2eExpected)                                                             \
      return ::e2e::Fail(run, __LINE__, #actual ": got \"" + e2eActual + "\", want \"" + e2eExpected + "\""); \
  } while (0)

// For helpers that record their own failure in the run: ends the case when they return false.
#define E2E_TRY(expr)          \
  do {                         \
    if (!(expr)) return false; \
  } while (0)
