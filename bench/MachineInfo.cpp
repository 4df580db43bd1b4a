#include "MachineInfo.h"

#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

namespace {

std::string cpuModel() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("model name", 0) != 0) continue;
    const auto colon = line.find(':');
    if (colon == std::string::npos) break;
    const auto start = line.find_first_not_of(' ', colon + 1);
    return start == std::string::npos ? std::string() : line.substr(start);
  }
  return "unknown CPU";
}

// Other work on the machine shows in every figure; the load average says how much there was.
std::string loadAverage() {
  std::ifstream loadavg("/proc/loadavg");
  double one = 0, five = 0;
  if (!(loadavg >> one >> five)) return {};
  char text[64];
  std::snprintf(text, sizeof text, ", load average %.2f (1 min) %.2f (5 min)", one, five);
  return text;
}

}  // namespace

std::string machineDescription() {
  std::string text = std::to_string(::sysconf(_SC_NPROCESSORS_ONLN)) + " CPUs online (nproc), " + cpuModel();
  utsname system{};
  if (::uname(&system) == 0)
    text += std::string(", ") + system.sysname + " " + system.release + " " + system.machine;
  return text + loadAverage();
}
