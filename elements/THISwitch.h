#pragma once
// Two-state switch: the toggle flips the state, sets the current value to the on or off value and
// raises onSwitch with it. The current value is read from other threads, hence atomic.

#include <atomic>

#include "Points.h"

class THISwitch {
 public:
  static constexpr std::int32_t kOnValue = 1;
  static constexpr std::int32_t kOffValue = 0;

  void doSwitch(const TData&) {
    const bool nowOn = !on_.load();
    on_.store(nowOn);
    onSwitch.fire(TData(nowOn ? kOnValue : kOffValue));
  }
  TData value() const { return TData(on_.load() ? kOnValue : kOffValue); }

  Event onSwitch;

 private:
  std::atomic<bool> on_{false};
};
