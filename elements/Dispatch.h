#pragma once
// The process-wide dispatch switch: events and data reads do nothing while it is off. It is on
// only while the main window runs, so whatever elements do to each other while being built or torn
// down goes nowhere.

#include <atomic>

namespace dispatch {

bool isOn();
void setOn(bool on);

// Sets the switch for a scope and puts the previous state back (tests).
class ScopedSwitch {
 public:
  explicit ScopedSwitch(bool on) : previous_(isOn()) { setOn(on); }
  ~ScopedSwitch() { setOn(previous_); }
  ScopedSwitch(const ScopedSwitch&) = delete;
  ScopedSwitch& operator=(const ScopedSwitch&) = delete;

 private:
  bool previous_;
};

}  // namespace dispatch
