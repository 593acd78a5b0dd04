#include "shutter/rows.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace qxv::shutter {

void ForEachRow(std::uint32_t rows, unsigned threads, const std::function<void(std::uint32_t)>& work) {
  if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
  threads = std::min<unsigned>(threads, std::max<std::uint32_t>(rows, 1));
  std::atomic<std::uint32_t> next{0};
  std::exception_ptr failure;
  std::mutex failureLock;
  const auto run = [&] {
    try {
      for (std::uint32_t row = next++; row < rows; row = next++) work(row);
    } catch (...) {
      std::lock_guard<std::mutex> lock(failureLock);
      if (!failure) failure = std::current_exception();
      next = rows;
    }
  };
  std::vector<std::thread> helpers;
  for (unsigned k = 1; k < threads; ++k) helpers.emplace_back(run);
  run();
  for (std::thread& t : helpers) t.join();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace qxv::shutter
