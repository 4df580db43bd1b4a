#pragma once
// Work points, events and data links: how elements are joined. Firing an event calls the one
// linked work point synchronously on the firing thread; a fan-out is an element of its own.

#include <functional>
#include <optional>
#include <type_traits>
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

// Binds a member work point of an element: workPoint(&hub, &THIHub::doEvent). The point may be
// declared in a base class of the element (the controls share doVisible and doEnabled).
template <typename Element, typename Declarer>
WorkPoint workPoint(Element* element, void (Declarer::*method)(const TData&)) {
  static_assert(std::is_base_of_v<Declarer, Element>);
  return [element, method](const TData& value) { (element->*method)(value); };
}

template <typename Element, typename Declarer>
DataPoint dataPoint(Element* element, TData (Declarer::*method)() const) {
  static_assert(std::is_base_of_v<Declarer, Element>);
  return [element, method]() { return (element->*method)(); };
}
