#include "THISleep.h"

#include <thread>

void THISleep::doSleep(const TData& value) {
  const auto until = std::chrono::steady_clock::now() + delay_;
  // sleep_until may wake early on some clocks; "more than the delay" is checked, not assumed.
  while (std::chrono::steady_clock::now() <= until) std::this_thread::sleep_until(until + std::chrono::microseconds(1));
  onSleep.fire(value);
}
