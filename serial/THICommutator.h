#pragma once
// Router: passes each value to the output that RouteIndex names, read afresh for every value; a
// negative index passes it to every output in index order, an index past the last drops it. An
// unlinked RouteIndex counts as 0. Runs on the thread that calls doRoute (the receive thread).

#include <cstddef>
#include <vector>

#include "elements/Points.h"

class THICommutator {
 public:
  explicit THICommutator(std::size_t outputs = 2) : outputs_(outputs) {}

  void doRoute(const TData& value) {
    const std::int32_t index = RouteIndex.read().value_or(TData(0)).toInt();
    if (index < 0) {
      for (const Event& output : outputs_) {
        const TData copy = value;
        output.fire(copy);
      }
    } else if (static_cast<std::size_t>(index) < outputs_.size()) {
      outputs_[static_cast<std::size_t>(index)].fire(value);
    }
  }

  Event& output(std::size_t index) { return outputs_.at(index); }
  std::size_t outputCount() const { return outputs_.size(); }

  DataLink RouteIndex;

 private:
  std::vector<Event> outputs_;
};
