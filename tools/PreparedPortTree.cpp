#include "PreparedPortTree.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>

#include "serial/PortCatalog.h"

namespace fs = std::filesystem;

PreparedPortTree::PreparedPortTree(const std::vector<std::string>& terminalPaths) {
  std::string pattern = (fs::temp_directory_path() / "tarvenmolix-ports-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary port tree");
  root_ = pattern;
  fs::create_directories(root_ + "/dev");
  fs::create_directories(root_ + "/lock");
  for (std::size_t i = 0; i < terminalPaths.size(); ++i) {
    const std::string entry = "ttyUSB" + std::to_string(i);
    fs::create_directories(root_ + "/sys/" + entry + "/device");
    fs::create_symlink(terminalPaths[i], root_ + "/dev/" + entry);
  }
  fs::create_directories(root_ + "/sys");
}

PreparedPortTree::~PreparedPortTree() noexcept {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::shared_ptr<PortCatalog> PreparedPortTree::catalog() const {
  return std::make_shared<PortCatalog>(root_ + "/sys", root_ + "/dev", std::vector<std::string>{root_ + "/lock"});
}
