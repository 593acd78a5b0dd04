// A hand-off of one item at a time between two threads: the giver waits
// until the taker has its item, the taker while there is none. So a
// pipeline of stages joined by hand-offs holds one frame a stage however
// long the sequence: a stage starts its next frame only once the stage
// after has taken the last.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

namespace qxv::apply {

template <typename Item>
class Handoff {
 public:
  // Waits until the taker has the item; false when the hand-off was
  // stopped (the item is dropped).
  bool Give(Item item) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return stopped_ || !item_; });
    if (stopped_) return false;
    item_ = std::move(item);
    const std::uint64_t given = ++given_;
    changed_.notify_all();
    changed_.wait(lock, [this, given] { return stopped_ || taken_ >= given; });
    if (taken_ >= given) return true;
    item_.reset();
    return false;
  }

  // Waits for an item; false once the giver has finished and nothing is
  // left, or when the hand-off was stopped.
  bool Take(Item* out) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return stopped_ || finished_ || item_; });
    if (stopped_ || !item_) return false;
    *out = std::move(*item_);
    item_.reset();
    ++taken_;
    changed_.notify_all();
    return true;
  }

  // The giver has no more items; the taker still gets the one waiting.
  void Finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    changed_.notify_all();
  }

  // Both sides give up at once: a waiting item is dropped.
  void Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    item_.reset();
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::optional<Item> item_;
  std::uint64_t given_ = 0, taken_ = 0;
  bool finished_ = false, stopped_ = false;
};

}  // namespace qxv::apply
