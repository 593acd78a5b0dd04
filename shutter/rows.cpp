#include "shutter/rows.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

namespace qxv::shutter {
namespace {

// A forked child has none of its parent's threads: it starts its own.
long ProcessId() {
#if defined(__unix__) || defined(__APPLE__)
  return static_cast<long>(getpid());
#else
  return 0;
#endif
}

// Threads that wait between pictures for the next share of rows. A frame is
// worked in several passes, and starting a thread costs about a tenth of a
// millisecond here, and the nine passes of a 480x270 frame take some 13.
// Kept for the program's life (never joined: a waiting thread holds
// nothing); one caller at a time uses them, a second starts its own.
class Helpers {
 public:
  static Helpers& Shared() {
    static std::mutex lock;
    static Helpers* helpers = nullptr;
    static long owner = 0;
    std::lock_guard<std::mutex> hold(lock);
    if (!helpers || owner != ProcessId()) helpers = new Helpers, owner = ProcessId();
    return *helpers;
  }

  // Starts `run` on `count` waiting threads, or returns false, starting
  // nothing, while another caller has them; Finish waits for them.
  bool Start(unsigned count, const std::function<void()>& run) {
    std::lock_guard<std::mutex> lock(lock_);
    if (busy_) return false;
    busy_ = true;
    while (threads_.size() < count) {
      // Told which round it has seen, so that it takes the one below even
      // if it first waits after it was announced.
      const unsigned index = static_cast<unsigned>(threads_.size());
      threads_.emplace_back([this, index, seen = round_] { Wait(index, seen); });
      threads_.back().detach();
    }
    job_ = &run;
    wanted_ = count;
    left_ = count;
    ++round_;
    wake_.notify_all();
    return true;
  }

  void Finish() {
    std::unique_lock<std::mutex> lock(lock_);
    done_.wait(lock, [&] { return left_ == 0; });
    job_ = nullptr;
    busy_ = false;
  }

 private:
  void Wait(unsigned index, unsigned seen) {
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
      wake_.wait(lock, [&] { return round_ != seen; });
      seen = round_;
      if (index >= wanted_) continue;
      const std::function<void()>* job = job_;
      lock.unlock();
      (*job)();
      lock.lock();
      if (--left_ == 0) done_.notify_one();
    }
  }

  std::mutex lock_;
  std::condition_variable wake_, done_;
  std::vector<std::thread> threads_;
  const std::function<void()>* job_ = nullptr;
  unsigned wanted_ = 0, left_ = 0, round_ = 0;
  bool busy_ = false;
};

}  // namespace

void ForEachRow(std::uint32_t rows, unsigned threads, const std::function<void(std::uint32_t)>& work) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = std::min<unsigned>(threads, std::max<std::uint32_t>(rows, 1));
  std::atomic<std::uint32_t> next{0};
  std::exception_ptr failure;
  std::mutex failureLock;
  const std::function<void()> run = [&] {
    try {
      for (std::uint32_t row = next++; row < rows; row = next++) work(row);
    } catch (...) {
      std::lock_guard<std::mutex> lock(failureLock);
      if (!failure) failure = std::current_exception();
      next = rows;
    }
  };
  // The helpers take their share while this thread takes its own.
  Helpers& helpers = Helpers::Shared();
  const bool shared = threads > 1 && helpers.Start(threads - 1, run);
  std::vector<std::thread> started;
  if (!shared) {
    for (unsigned k = 1; k < threads; ++k) started.emplace_back(run);
  }
  run();
  if (shared) helpers.Finish();
  for (std::thread& t : started) t.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace qxv::shutter
