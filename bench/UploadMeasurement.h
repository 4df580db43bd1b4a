#pragma once
// What one timed upload yields, the clocks it is read from, and the device's own view of it.

#include <time.h>

#include <chrono>
#include <cstdint>
#include <span>
#include <vector>

struct DeviceReport;

struct UploadMeasurement {
  std::chrono::nanoseconds wall{};
  std::chrono::nanoseconds processCpu{};  // every thread of the process, the simulator's included
  std::chrono::nanoseconds writerCpu{};   // the writing side's threads only
  std::chrono::nanoseconds uiCpu{};       // of which the UI thread's (the program only)
  // Acknowledgement read by the writer -> first byte of the next page written, one per page after
  // the first, in microseconds.
  std::vector<double> turnaroundMicros;
  // The device's view: acknowledgement written -> first byte of the next page received.
  std::vector<double> deviceTurnaroundMicros;
  // The longest gap between two turns of the UI thread's event loop while the upload ran (the
  // program only).
  double uiStallMillis = 0;
};

inline std::chrono::nanoseconds cpuClockNow(clockid_t clock) {
  timespec now{};
  ::clock_gettime(clock, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}
inline std::chrono::nanoseconds processCpuNow() { return cpuClockNow(CLOCK_PROCESS_CPUTIME_ID); }
inline std::chrono::nanoseconds threadCpuNow() { return cpuClockNow(CLOCK_THREAD_CPUTIME_ID); }

template <typename Duration>
double inMicros(Duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

// Throws std::runtime_error unless the device received exactly `image` as pages, acknowledged
// every page and then got "PUSK".
void requireWholeUpload(const DeviceReport& report, std::span<const std::uint8_t> image);
// Acknowledgement of page k written -> first byte of page k + 1 received, for every such pair.
std::vector<double> deviceTurnarounds(const DeviceReport& report);
