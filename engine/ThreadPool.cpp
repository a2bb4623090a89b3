// The pool: helper threads wait for a new piece of work, run their share of its tasks and report
// when they are done; the calling thread runs the first share and then waits for the helpers.
// Each thread's share is fixed (every N-th task for N threads), so that a thread's time is its
// share's alone, and shares of tasks spread over the work take about the same time.
#include "engine/ThreadPool.h"

#include <time.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace pool {

namespace {

using Work = std::function<void(int32_t, int32_t)>;

// A browser page built without -pthread has no threads: emscripten's std::thread then cannot
// start one, and its exceptions abort the page instead of being caught. Such a build gives every
// request one thread, so its pool has no helpers and the calling thread runs every task.
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
constexpr bool kCanStartThreads = false;
#else
constexpr bool kCanStartThreads = true;
#endif

// Processor milliseconds the calling thread has used.
double ThreadMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

class Pool {
 public:
  ~Pool() { Stop(); }

  // Runs the tasks on the calling thread and up to `helpers` helpers.
  void Run(int32_t helpers, int32_t tasks, const Work& work) {
    Resize(helpers);
    if (threads_.empty() || tasks <= 1) {
      for (int32_t task = 0; task < tasks; ++task) work(task, 0);
      return;
    }
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      work_ = &work;
      tasks_ = tasks;
      busy_ = static_cast<int32_t>(threads_.size());
      slowest_ms_ = 0;
      ++generation_;
    }
    wake_.notify_all();
    const double own = Drain(0);
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [&] { return busy_ == 0; });
    work_ = nullptr;
    lag_ms_ += std::max(0.0, slowest_ms_ - own);
  }

  double LagMs() const { return lag_ms_; }

 private:
  // Starts or stops helpers until `helpers` run (or as many as the system allows).
  void Resize(int32_t helpers) {
    if (!kCanStartThreads) helpers = 0;
    if (static_cast<size_t>(helpers) == wanted_) return;
    Stop();
    wanted_ = static_cast<size_t>(helpers);
    const std::lock_guard<std::mutex> lock(mutex_);
    stop_ = false;
    for (int32_t worker = 1; worker <= helpers; ++worker) {
      try {
        threads_.emplace_back([this, worker, seen = generation_] { Serve(worker, seen); });
      } catch (const std::system_error&) {
        break;  // the threads started so far do the work
      }
    }
  }

  void Stop() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
    wanted_ = 0;
  }

  // Runs the share of the current work that belongs to `worker`: tasks worker, worker + N,
  // worker + 2N, ... for N threads. The processor milliseconds it took.
  double Drain(int32_t worker) {
    const double begin = ThreadMs();
    const auto threads = static_cast<int32_t>(threads_.size()) + 1;
    for (int32_t task = worker; task < tasks_; task += threads) (*work_)(task, worker);
    return ThreadMs() - begin;
  }

  // A helper's life: each new piece of work after the generation `seen`, until Stop.
  void Serve(int32_t worker, uint64_t seen) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return stop_ || generation_ != seen; });
      if (stop_) return;
      seen = generation_;
      lock.unlock();
      const double took = Drain(worker);
      lock.lock();
      slowest_ms_ = std::max(slowest_ms_, took);
      if (--busy_ == 0) done_.notify_one();
    }
  }

  std::mutex mutex_;                  // guards everything below but threads_
  std::condition_variable wake_;      // a new generation, or stop_
  std::condition_variable done_;      // busy_ reached 0
  std::vector<std::thread> threads_;  // the helpers; touched by the calling thread only
  size_t wanted_ = 0;                 // helpers asked for when threads_ was filled
  bool stop_ = false;                 // helpers are to end
  uint64_t generation_ = 0;           // pieces of work handed out so far
  const Work* work_ = nullptr;        // the current piece of work
  int32_t tasks_ = 0;                 // its task count
  int32_t busy_ = 0;                  // helpers that have not finished it yet
  double slowest_ms_ = 0;             // the longest a helper has taken over it so far
  double lag_ms_ = 0;                 // see pool::LagMs; touched by the calling thread only
};

Pool& ThePool() {
  static Pool pool;  // joined at the program's end
  return pool;
}

}  // namespace

int32_t ThreadsFor(int32_t wanted) {
  if (!kCanStartThreads) return 1;
  if (wanted >= 1) return std::min(wanted, kMaxThreads);
  const unsigned cores = std::thread::hardware_concurrency();
  return static_cast<int32_t>(std::clamp<unsigned>(cores, 1, kMaxThreads));
}

void Run(int32_t threads, int32_t tasks, const Work& work) {
  ThePool().Run(ThreadsFor(threads) - 1, tasks, work);
}

double LagMs() {
  return ThePool().LagMs();
}

}  // namespace pool
