#pragma once
// Counter between a minimum and a maximum: counting up past the maximum starts again at the
// minimum. The count is read from other threads, hence atomic.

#include <atomic>
#include <cstdint>

#include "Points.h"

class THICounter {
 public:
  THICounter(std::int32_t minimum, std::int32_t maximum, std::int32_t start = 0)
      : min_(minimum), max_(maximum), count_(start) {}

  // Counts one up and returns the new count; onCount carries it.
  std::int32_t next() {
    std::int32_t value = count_.load() + 1;
    if (value > max_) value = min_;
    count_.store(value);
    onCount.fire(TData(value));
    return value;
  }
  void reset() { count_.store(min_); }
  std::int32_t count() const { return count_.load(); }
  TData value() const { return TData(count()); }

  Event onCount;

 private:
  std::int32_t min_;
  std::int32_t max_;
  std::atomic<std::int32_t> count_;
};
