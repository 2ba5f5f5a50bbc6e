#include "tools/busy.h"

#include <exception>
#include <thread>

#include "tools/progress_figure.h"

namespace {

int gWaiting = 0;  // RunBusy calls in progress on the window's thread

// Ends the wait on every path: the worker, which uses the caller's task, is joined before the
// task goes away, even when an exception leaves RunBusy.
struct Wait {
  std::thread worker;
  Wait() { ++gWaiting; }
  ~Wait() {
    if (worker.joinable()) worker.join();
    --gWaiting;
  }
};

}  // namespace

bool Busy() { return gWaiting > 0; }

void RunBusy(ui::Window owner, const std::string& what, const std::string& path, bool cancellable,
             const std::function<void(const Progress& progress)>& work) {
  ui::Task task;
  task.title = kBusyTitle;
  task.what = what;
  task.path = path;
  task.cancellable = cancellable;
  task.figure = ProgressFigure;
  const Progress progress = [&task](std::uint64_t done, std::uint64_t total) {
    task.total = total;
    task.done = done;
    return !task.cancelled.load();
  };
  std::exception_ptr failure;
  Wait wait;
  ui::RunTask(owner, task, [&] {
    wait.worker = std::thread([&] {
      try {
        work(progress);
      } catch (...) {
        failure = std::current_exception();
      }
      task.finished = true;
    });
  });
  wait.worker.join();
  if (failure) std::rethrow_exception(failure);
}
