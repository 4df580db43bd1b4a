#pragma once
// A prepared port tree in a temporary folder: a sysfs root whose entries ttyUSB0, ttyUSB1, ...
// have a `device` entry, a dev root whose entries point at the given terminals, and a lock folder
// of its own. A catalog over it lists the terminals as COM1, COM2, ... in the order given, so the
// tool can be pointed at pseudo terminals (tests, the demo, the benchmark).
// Threads: made and removed on one thread; the catalog it hands out is the tool's.

#include <memory>
#include <string>
#include <vector>

class PortCatalog;

class PreparedPortTree {
 public:
  explicit PreparedPortTree(const std::vector<std::string>& terminalPaths);
  ~PreparedPortTree() noexcept;
  PreparedPortTree(const PreparedPortTree&) = delete;
  PreparedPortTree& operator=(const PreparedPortTree&) = delete;

  std::shared_ptr<PortCatalog> catalog() const;
  const std::string& root() const { return root_; }

 private:
  std::string root_;
};
