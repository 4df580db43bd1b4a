#include "ElementOwners.h"

void ElementOwners::destroyAll() noexcept {
  while (!entries_.empty()) {
    Entry last = std::move(entries_.back());
    entries_.pop_back();
    last.element.reset();
    if (destroyed_) destroyed_(last.name);
  }
}

std::vector<std::string> ElementOwners::names() const {
  std::vector<std::string> names;
  for (const Entry& entry : entries_) names.push_back(entry.name);
  return names;
}

bool ElementOwners::holds(std::string_view name) const {
  for (const Entry& entry : entries_)
    if (entry.name == name) return true;
  return false;
}
