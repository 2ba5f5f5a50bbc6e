// Timed cases of the Main window for scripts/bench.sh: they run only when named on the driver's
// command line. Each prints its figures next to their targets and fails when a target is missed.
#include <cstdio>
#include <vector>

#include "e2e/cases.h"
#include "e2e/fixture_files.h"
#include "e2e/stowr_ui.h"

namespace e2e {
namespace {

constexpr int kSlowStart = 600000;  // ms: wait this long for a window before giving up

std::vector<TestChunk> SmallChunks(int count) {
  std::vector<TestChunk> chunks;
  chunks.reserve(static_cast<std::size_t>(count));
  char kind[8], data[32];
  for (int i = 0; i < count; ++i) {
    std::snprintf(kind, sizeof kind, "C%02d", i % 100);
    std::snprintf(data, sizeof data, "chunk %d", i);
    chunks.push_back({kind, data});
  }
  return chunks;
}

std::string CountText(int count) {
  return std::to_string(count) + (count > 1 ? " chunks" : " chunk") + " of data detected:";
}

// Seconds from the program's start until its Main window shows count chunks; negative on failure.
double SecondsToShow(Run& run, const std::string& path, int count) {
  App app;
  std::string why;
  const ULONGLONG start = GetTickCount64();
  if (!StartProgram(run.program, path, run.folder, app, why)) return -1;
  app.main = WaitForWindow(app, kMainTitle, "", kSlowStart);
  if (!app.main || !Sync(app.main) || ControlText(app.main, kCountLabel) != CountText(count)) return -1;
  const double seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
  if (ListRowCount(GetDlgItem(app.main, kChunkList)) != count || !CloseStowr(run, app)) return -1;
  return seconds;
}

// The Main window opening files of many small chunks: the whole refresh (scan, Type test, list)
// before the window shows.
bool BenchManyChunks(Run& run) {
  double last = 0;
  for (int count : {10000, 100000}) {
    const std::string path = run.folder + "many" + std::to_string(count) + ".exe";
    E2E_CHECK(WriteBytes(path, FileBytes(ExeBody(1024), SmallChunks(count))));
    last = SecondsToShow(run, path, count);
    E2E_CHECK(last >= 0);
    std::printf("  Main window showing %d chunks: %.2f s%s\n", count, last, count == 100000 ? " (target 3 s)" : "");
  }
  E2E_CHECK(last <= 3.0);
  return true;
}

}  // namespace

std::vector<Case> WindowBenchCases() {
  return {
      {"bench_many_chunks", BenchManyChunks},
  };
}

}  // namespace e2e
