// Timed cases of the Main window for scripts/bench.sh: they run only when named on the driver's
// command line (about 2 GiB of free disk). Each prints its figures next to their targets and fails when a target is missed.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>
#include <utility>
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

double Now() {
  LARGE_INTEGER frequency, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Wine's server, through which every Wine process queues and fetches its messages, can itself
// stall: it performs renames, and a rename over a large file frees the old file's blocks inside
// it. A thread of the driver keeps posting a message, which needs the server but not the
// program, and notes when that took long, so that the window's own delay can be told apart.
class ServerWatch {
 public:
  explicit ServerWatch(HWND target) : thread_([this, target] {
    while (!stop_) {
      const double from = Now();
      PostMessageA(target, WM_NULL, 0, 0);
      const double to = Now();
      if (to - from > 5) {
        std::lock_guard<std::mutex> lock(mutex_);
        stalls_.emplace_back(from, to);
      }
      Sleep(2);
    }
  }) {}
  ~ServerWatch() {
    stop_ = true;
    thread_.join();
  }
  // The part of [from, to] during which the server stalled.
  double StalledWithin(double from, double to) {
    std::lock_guard<std::mutex> lock(mutex_);
    double stalled = 0;
    for (const auto& [a, b] : stalls_) stalled += std::max(0.0, std::min(b, to) - std::max(a, from));
    return std::min(stalled, to - from);
  }

 private:
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::pair<double, double>> stalls_;
  std::thread thread_;
};

// How long the Main window takes to answer sent messages while an add of 8 MiB to an executable
// of 2 GiB (written in full) runs, from OK in the Add dialog until the new chunk is listed.
bool BenchAnswerDuringLargeAdd(Run& run) {
  const std::string exe = run.folder + "large.exe";
  E2E_CHECK(WriteLargeExe(exe, std::uint64_t{2} << 30, ChunkBytes({"ONE", "one"}), false));
  E2E_CHECK(WriteBytes(run.folder + "res.bin", std::string(std::size_t{8} << 20, 'x')));
  App app;
  E2E_TRY(OpenStowr(run, app, exe));
  HWND dialog = OpenAddDialog(run, app, run.folder + "res.bin");
  E2E_CHECK(dialog != nullptr);
  ServerWatch server(app.main);
  const double start = Now();
  E2E_CHECK(TypeDescriptor(dialog, "NEW"));
  double slowest = 0, slowestOwn = 0, end = start;
  int probes = 0;
  bool progressShown = false;
  for (bool listed = false; !listed; ++probes) {
    const double before = Now();
    listed = ControlText(app.main, kCountLabel) == CountText(2);  // WM_GETTEXT, sent
    end = Now();
    slowest = std::max(slowest, end - before);
    slowestOwn = std::max(slowestOwn, end - before - server.StalledWithin(before, end));
    progressShown = progressShown || FindWindowA(nullptr, kBusyTitle) != nullptr;
    E2E_CHECK(end - start < kSlowStart);
    Sleep(10);
  }
  std::printf("  add of 8 MiB to a 2 GiB executable: %.1f s, progress window %s; %d messages sent meanwhile\n",
              (end - start) / 1000.0, progressShown ? "shown" : "not shown", probes);
  std::printf("  slowest answer of the Main window: %.0f ms, of which %.0f ms not waiting for Wine's server "
              "(target 100 ms)\n", slowest, slowestOwn);
  E2E_CHECK(slowestOwn <= 100.0);
  return CloseStowr(run, app);
}

}  // namespace

std::vector<Case> WindowBenchCases() {
  return {
      {"bench_many_chunks", BenchManyChunks},
      {"bench_answer_during_large_add", BenchAnswerDuringLargeAdd},
  };
}

}  // namespace e2e
