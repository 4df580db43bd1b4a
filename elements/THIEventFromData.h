#pragma once
// Value holder: storing replaces the held value, reading hands out a copy. Stored and read from
// any thread (the error gate is stored on the receive thread and read on the timer thread).

#include <mutex>

#include "Points.h"

class THIEventFromData {
 public:
  void doData(const TData& value) {
    std::lock_guard lock(mutex_);
    held_ = value;
  }
  TData value() const {
    std::lock_guard lock(mutex_);
    return held_;
  }

 private:
  mutable std::mutex mutex_;
  TData held_;
};
