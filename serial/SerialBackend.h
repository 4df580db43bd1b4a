#pragma once
// The operating system's serial port behind one small interface, one implementation file per
// system (serial_posix.cpp here). No OS type appears in this header.
//
// Threads: open, the apply steps and close run on the user-interface thread; waitForInput,
// queuedCount and read on the receive thread; write on any thread (calls are serialised inside,
// so each call's bytes go out as one contiguous run); interruptWait on any thread.

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "LineSettings.h"

// What went wrong, mapped from the system's own error codes in one place per backend.
enum class PortError {
  None,
  NotFound,         // no such device
  Busy,             // held by another program (lock, exclusive mode or a live lock file)
  AccessDenied,
  NotATerminal,
  SettingsRefused,  // the driver refused the line settings or did not keep them (speed read back)
  LineGone,         // hung up: the device or adapter went away
  TimedOut,
  Failed,           // anything else
};

enum class WaitResult { InputReady, Stopped, LineGone };

struct WriteResult {
  std::size_t written = 0;
  PortError error = PortError::None;  // None also for a write cut short by its deadline
};

using SteadyTime = std::chrono::steady_clock::time_point;

class SerialBackend {
 public:
  // Opens the device for reading and writing, exclusively: another holder of the port (advisory
  // lock, exclusive mode, a live UUCP lock file in one of lockDirectories) makes the open fail.
  // While open, the port's own lock file is kept in the first of those directories that takes it.
  static std::unique_ptr<SerialBackend> open(const std::string& devicePath,
                                             const std::vector<std::string>& lockDirectories,
                                             PortError& error);
  // The same open and the same checks, the port let go again at once: None when it would open.
  static PortError tryOpen(const std::string& devicePath, const std::vector<std::string>& lockDirectories);
  // True when the device is a UART slot the driver knows no chip for (not a real port).
  static bool reportsUnknownUart(const std::string& devicePath);
  // Best effort: raises the calling thread's scheduling priority one step; refusal is ignored.
  static void raiseCurrentThreadPriority() noexcept;

  ~SerialBackend() noexcept;
  SerialBackend(const SerialBackend&) = delete;
  SerialBackend& operator=(const SerialBackend&) = delete;

  // Drops whatever both driver queues hold.
  PortError discardQueues() noexcept;
  // Best effort; a refusal is ignored.
  void requestQueueSizes(std::size_t receive, std::size_t send) noexcept;
  // Speed, framing, byte handling, flow control and modem lines, laid over the present settings
  // and read back; a setting that did not stick (the speed above all) is SettingsRefused.
  PortError applyLineParameters(const SerialLineSettings& settings);
  PortError applyTimeLimits(const SerialLineSettings& settings);
  PortError applyWatchedConditions(const SerialLineSettings& settings);

  // Writes all bytes or stops at the deadline, whichever comes first.
  WriteResult write(std::string_view bytes, SteadyTime deadline);
  // Sleeps until input is queued, the line is gone, or interruptWait is called.
  WaitResult waitForInput();
  // Wakes waitForInput (now or, if it is not waiting yet, its next call).
  void interruptWait() noexcept;
  std::optional<std::size_t> queuedCount(PortError* error = nullptr);
  // Returns at once with up to maxBytes of what is queued (possibly nothing); nullopt on failure.
  std::optional<std::string> read(std::size_t maxBytes);
  // Aborts and discards whatever is queued, lets go of every lock and closes the device.
  void close() noexcept;
  bool isOpen() const noexcept;

 private:
  struct Impl;
  explicit SerialBackend(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};
