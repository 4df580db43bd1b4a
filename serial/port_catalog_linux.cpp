#include <algorithm>
#include <filesystem>
#include <system_error>
#include <tuple>

#include "PortCatalog.h"
#include "PortName.h"
#include "SerialBackend.h"

namespace {

struct TtyEntry {
  std::string name;
  int group;           // 0 ttyUSB, 1 ttyACM, 2 the rest
  std::string prefix;  // the name without its trailing number
  long number;         // the trailing number; -1 without one
};

TtyEntry describe(const std::string& name) {
  std::size_t digitsAt = name.size();
  while (digitsAt > 0 && name[digitsAt - 1] >= '0' && name[digitsAt - 1] <= '9') --digitsAt;
  const std::string prefix = name.substr(0, digitsAt);
  long number = -1;
  if (digitsAt < name.size() && name.size() - digitsAt <= 9) number = std::stol(name.substr(digitsAt));
  const int group = prefix == "ttyUSB" ? 0 : prefix == "ttyACM" ? 1 : 2;
  return {name, group, prefix, number};
}

bool listingOrder(const TtyEntry& a, const TtyEntry& b) {
  return std::tie(a.group, a.prefix, a.number, a.name) < std::tie(b.group, b.prefix, b.number, b.name);
}

bool isSerialSlot(const std::string& name) { return describe(name).prefix == "ttyS"; }

}  // namespace

PortCatalog::PortCatalog(std::string sysfsRoot, std::string devRoot, std::vector<std::string> lockDirectories)
    : sysfsRoot_(std::move(sysfsRoot)), devRoot_(std::move(devRoot)), lockDirectories_(std::move(lockDirectories)) {}

const std::vector<CatalogPort>& PortCatalog::ports() {
  std::call_once(builtOnce_, [this] { build(); });
  return ports_;
}

std::optional<std::string> PortCatalog::devicePathFor(std::string_view portName) {
  for (const CatalogPort& port : ports())
    if (sameNameIgnoringCase(port.name, portName)) return port.devicePath;
  return std::nullopt;
}

bool PortCatalog::built() const {
  std::lock_guard lock(builtMutex_);
  return built_;
}

void PortCatalog::build() {
  namespace fs = std::filesystem;
  std::vector<TtyEntry> entries;
  std::error_code error;
  for (fs::directory_iterator it(sysfsRoot_, error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    if (fs::exists(it->path() / "device", ignored)) entries.push_back(describe(it->path().filename().string()));
  }
  std::sort(entries.begin(), entries.end(), listingOrder);

  for (const TtyEntry& entry : entries) {
    if (ports_.size() == kMostPorts) break;
    const std::string devicePath = (fs::path(devRoot_) / entry.name).string();
    if (isSerialSlot(entry.name) && SerialBackend::reportsUnknownUart(devicePath)) continue;
    if (SerialBackend::tryOpen(devicePath, lockDirectories_) != PortError::None) continue;
    ports_.push_back({"COM" + std::to_string(ports_.size() + 1), devicePath});
  }
  std::lock_guard lock(builtMutex_);
  built_ = true;
}
