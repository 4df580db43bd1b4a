#include "Dispatch.h"

namespace {
std::atomic<bool> dispatchOn{false};
}

namespace dispatch {
bool isOn() { return dispatchOn.load(std::memory_order_acquire); }
void setOn(bool on) { dispatchOn.store(on, std::memory_order_release); }
}  // namespace dispatch
