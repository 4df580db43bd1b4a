#pragma once
// Fan-out: passes the incoming value to each output in index order, each its own copy, the chain
// behind one output finished before the next is served. All inputs behave the same.

#include <cstddef>
#include <vector>

#include "Points.h"

class THIHub {
 public:
  explicit THIHub(std::size_t outputs) : outputs_(outputs) {}

  void doEvent(const TData& value) {
    for (const Event& output : outputs_) {
      const TData copy = value;
      output.fire(copy);
    }
  }
  Event& output(std::size_t index) { return outputs_.at(index); }
  std::size_t outputCount() const { return outputs_.size(); }

 private:
  std::vector<Event> outputs_;
};
