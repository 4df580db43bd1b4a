#pragma once
// The window's update queue together with the Qt object that drains it: a posted event only wakes
// the UI thread, the updates themselves travel in the queue under its own mutex. Drains that a
// wake starts are paced (at most one per 10 ms), so a value changed once per byte sent costs the
// UI thread one update per drain, not one per change.
//
// Threads: created and destroyed on the UI thread; queue().run() from any thread.

#include <memory>

#include "app/UiUpdateQueue.h"

class QObject;

class UiThreadBridge {
 public:
  UiThreadBridge();  // on the UI thread
  ~UiThreadBridge() noexcept;
  UiThreadBridge(const UiThreadBridge&) = delete;
  UiThreadBridge& operator=(const UiThreadBridge&) = delete;

  UiUpdateQueue& queue() { return *queue_; }

 private:
  std::unique_ptr<QObject> receiver_;
  std::unique_ptr<UiUpdateQueue> queue_;
};
