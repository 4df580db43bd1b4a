#pragma once
// Records every event of an upload unit in firing order, from any thread, and lets a test wait
// for what it expects with a generous deadline.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "upload/hiMultiElementEx_2538BB0.h"

struct UploadEvent {
  std::string name;
  TData value;
  std::chrono::steady_clock::time_point at;
  std::thread::id thread;
};

class UploadEventLog {
 public:
  static constexpr const char* kNames[] = {"onProgress", "onSend",    "onUploadDone",
                                           "onUploadError", "onCrcText", "onReplyEcho"};

  // Links all six events by index. `also` runs after recording, on the firing thread.
  void attach(TClassMultiElementEx_2538BB0& unit,
              std::function<void(const UploadEvent&)> also = nullptr) {
    also_ = std::move(also);
    for (int k = 0; k < 6; ++k) {
      std::string name = kNames[k];
      unit.event(k).link([this, name](const TData& value) {
        UploadEvent event{name, value, std::chrono::steady_clock::now(), std::this_thread::get_id()};
        {
          std::lock_guard lock(mutex_);
          events_.push_back(event);
        }
        changed_.notify_all();
        if (also_) also_(event);
      });
    }
  }

  std::vector<UploadEvent> events() {
    std::lock_guard lock(mutex_);
    return events_;
  }
  void clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
  }
  // Events with this name, in order.
  std::vector<UploadEvent> named(const std::string& name) {
    std::vector<UploadEvent> found;
    for (auto& e : events())
      if (e.name == name) found.push_back(e);
    return found;
  }
  // The last checksum text handed out, "" when none.
  std::string lastCrcText() {
    std::lock_guard lock(mutex_);
    for (auto it = events_.rbegin(); it != events_.rend(); ++it)
      if (it->name == "onCrcText") return it->value.toStr();
    return {};
  }
  bool waitUntil(const std::function<bool(const std::vector<UploadEvent>&)>& done,
                 std::chrono::milliseconds timeout = std::chrono::milliseconds(30000)) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return done(events_); });
  }
  bool waitForCount(const std::string& name, std::size_t count,
                    std::chrono::milliseconds timeout = std::chrono::milliseconds(30000)) {
    return waitUntil([&](const std::vector<UploadEvent>& events) {
      std::size_t n = 0;
      for (auto& e : events) n += e.name == name;
      return n >= count;
    }, timeout);
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<UploadEvent> events_;
  std::function<void(const UploadEvent&)> also_;
};

// The two bytes a device sends for a checksum text, high byte first.
inline std::string ackBytesFor(const std::string& crcText) {
  const unsigned value = std::stoul(crcText, nullptr, 16);
  return {static_cast<char>(value >> 8), static_cast<char>(value & 0xFF)};
}
