#pragma once
// The machine's serial ports as COM names. On Linux: the entries of the sysfs tty class that have
// a `device` entry (hardware-backed; pseudo terminals have none), ttyUSB* first, then ttyACM*,
// then the rest, each group in natural order (name, then number); a ttyS* slot without a known
// UART is skipped; the i-th entry that passes the trial open is COM<i> (1..255), its device
// <devRoot>/<entry>. The table is built once, at the first listing or lookup, and every later
// listing and open in the run uses it.
// Thread: built and read on the user-interface thread (building is guarded, so any thread may ask).

#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct CatalogPort {
  std::string name;        // "COM3"
  std::string devicePath;  // "/dev/ttyUSB2"
};

class PortCatalog {
 public:
  static constexpr std::size_t kMostPorts = 255;

  explicit PortCatalog(std::string sysfsRoot = "/sys/class/tty", std::string devRoot = "/dev",
                       std::vector<std::string> lockDirectories = {"/run/lock", "/var/lock"});

  const std::vector<CatalogPort>& ports();
  // The device of a listed name, the whole name compared without regard to ASCII letter case.
  std::optional<std::string> devicePathFor(std::string_view portName);
  // Where UUCP lock files are looked for and written.
  const std::vector<std::string>& lockDirectories() const { return lockDirectories_; }
  bool built() const;

 private:
  void build();

  std::string sysfsRoot_;
  std::string devRoot_;
  std::vector<std::string> lockDirectories_;
  std::once_flag builtOnce_;
  mutable std::mutex builtMutex_;
  bool built_ = false;
  std::vector<CatalogPort> ports_;
};
