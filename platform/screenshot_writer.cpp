#include "platform/screenshot_writer.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/screenshot.h"

namespace platform::screenshot {

namespace {

// One picture to write.
struct Job {
  std::vector<uint32_t> pixels;  // empty when nothing was shown
  int width = 0, height = 0;
  std::string folder;
};

class Writer {
 public:
  ~Writer() { Finish(); }

  bool Hand(Job job, std::string& error) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (waiting_.size() >= kMaxWaiting) {
      error = std::to_string(kMaxWaiting) + " pictures are being written already";
      return false;
    }
    if (!thread_.joinable()) {
      try {
        thread_ = std::thread([this] { Serve(); });
      } catch (const std::system_error& failure) {
        error = failure.what();
        return false;
      }
    }
    waiting_.push_back(std::move(job));
    wake_.notify_one();
    return true;
  }

  std::vector<Outcome> Take() {
    const std::lock_guard<std::mutex> lock(mutex_);
    return std::exchange(done_, {});
  }

  void Finish() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (!thread_.joinable()) return;
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
    const std::lock_guard<std::mutex> lock(mutex_);
    thread_ = std::thread();
    stop_ = false;
  }

 private:
  // The thread's life: each waiting picture in turn, until Finish finds none left.
  void Serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return stop_ || !waiting_.empty(); });
      if (waiting_.empty()) return;
      Job job = std::move(waiting_.front());
      lock.unlock();
      Outcome outcome;
      outcome.path = Save(job.pixels.empty() ? nullptr : job.pixels.data(), job.width, job.height,
                          job.folder, outcome.error);
      job = Job{};
      lock.lock();
      waiting_.pop_front();
      done_.push_back(std::move(outcome));
    }
  }

  std::mutex mutex_;              // guards everything below
  std::condition_variable wake_;  // a picture waits, or stop_
  std::deque<Job> waiting_;       // handed over and not written yet, the one being written first
  std::vector<Outcome> done_;     // written and not taken yet
  bool stop_ = false;             // the thread is to end once nothing waits
  std::thread thread_;
};

Writer writer;  // the program's one writing thread; joined at the program's end

}  // namespace

bool SaveLater(const uint32_t* pixels, int width, int height, const std::string& folder,
               std::string& error) {
  Job job;
  try {
    if (pixels != nullptr && width > 0 && height > 0) {
      job.pixels.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
    }
    job.folder = folder;
  } catch (const std::bad_alloc&) {
    error = "out of memory";
    return false;
  }
  job.width = width;
  job.height = height;
  return writer.Hand(std::move(job), error);
}

std::vector<Outcome> TakeOutcomes() {
  return writer.Take();
}

void FinishWriting() {
  writer.Finish();
}

}  // namespace platform::screenshot
