#pragma once
// Timestamps taken inside the program while it uploads, from two points of the serial port
// element that the program's own wiring leaves as they are: onQueued is linked again to the same
// doReadQueued, with a stamp just before the chunk is read; onSent, which the program does not
// link, is raised after every write has returned. A one-byte write after an acknowledgement is the
// first byte of the next page; the four-byte write is "PUSK", right before onUploadDone.
//
// Threads: attach() and arm() on the UI thread (attach before the port opens); the stamps on the
// receive thread, where every page after the first is written; writes on the UI thread (the first
// page) are ignored; finished() on any thread; the results once the receive thread has ended.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

class THIComAsync;
class TData;

class UploadProbe {
 public:
  using Clock = std::chrono::steady_clock;

  void attach(THIComAsync& port);
  // Stamps count from the next chunk on (the identification reply is not part of the upload).
  void arm() { armed_.store(true, std::memory_order_release); }
  bool finished() const { return finished_.load(std::memory_order_acquire); }

  // Valid once finished().
  Clock::time_point runCommandWrittenAt() const { return runCommandAt_; }
  std::chrono::nanoseconds processCpuAtRunCommand() const { return processCpuAtRunCommand_; }
  // The receive thread's CPU time from its start (a fresh thread each run; before the upload it
  // only delivered the identification reply).
  std::chrono::nanoseconds receiveThreadCpuAtRunCommand() const { return receiveThreadCpuAtRunCommand_; }
  // Read once the receive thread has ended.
  const std::vector<double>& turnaroundMicros() const { return turnaroundMicros_; }

 private:
  void chunkQueued();
  void written(std::int32_t count);

  std::thread::id uiThread_;
  std::atomic<bool> armed_{false};
  std::atomic<bool> finished_{false};

  // Receive thread only.
  bool awaitingFirstPageByte_ = false;
  Clock::time_point chunkAt_{};
  std::vector<double> turnaroundMicros_;
  Clock::time_point runCommandAt_{};
  std::chrono::nanoseconds processCpuAtRunCommand_{};
  std::chrono::nanoseconds receiveThreadCpuAtRunCommand_{};
};
