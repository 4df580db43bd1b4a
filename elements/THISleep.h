#pragma once
// Hold: keeps the calling thread until more than the delay has passed on a steady clock, then
// raises onSleep with the incoming value on the same thread.

#include <chrono>

#include "Points.h"

class THISleep {
 public:
  explicit THISleep(std::chrono::microseconds delay) : delay_(delay) {}

  void doSleep(const TData& value);

  Event onSleep;

 private:
  std::chrono::microseconds delay_;
};
