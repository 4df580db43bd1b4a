#pragma once
// Fixed-value sender: drops the incoming value and sends its own, or the value read through its
// data link when that is linked.

#include "Points.h"

class THIDoData {
 public:
  explicit THIDoData(TData fixed) : fixed_(std::move(fixed)) {}

  void doData(const TData&) { onEventData.fire(data.read().value_or(fixed_)); }

  DataLink data;
  Event onEventData;

 private:
  TData fixed_;
};
