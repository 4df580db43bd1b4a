#pragma once
// Work points, events and data links: how elements are joined. Firing an event calls the one
// linked work point synchronously on the firing thread; a fan-out is an element of its own.

#include <functional>
#include <optional>
#include <utility>

#include "Dispatch.h"
#include "TData.h"

using WorkPoint = std::function<void(const TData&)>;
using DataPoint = std::function<TData()>;

class Event {
 public:
  void link(WorkPoint target) { target_ = std::move(target); }
  bool linked() const { return static_cast<bool>(target_); }
  void fire(const TData& value) const {
    if (target_ && dispatch::isOn()) target_(value);
  }

 private:
  WorkPoint target_;
};

class DataLink {
 public:
  void link(DataPoint source) { source_ = std::move(source); }
  bool linked() const { return static_cast<bool>(source_); }
  // Nothing when not linked (the reader falls back to its own default); the empty value while
  // dispatch is off.
  std::optional<TData> read() const {
    if (!source_) return std::nullopt;
    if (!dispatch::isOn()) return TData{};
    return source_();
  }

 private:
  DataPoint source_;
};

// Binds a member work point of an element: workPoint(&hub, &THIHub::doEvent).
template <typename Element>
WorkPoint workPoint(Element* element, void (Element::*method)(const TData&)) {
  return [element, method](const TData& value) { (element->*method)(value); };
}

template <typename Element>
DataPoint dataPoint(Element* element, TData (Element::*method)() const) {
  return [element, method]() { return (element->*method)(); };
}
