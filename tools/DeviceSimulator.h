#pragma once
// The device side of the line: a Tarvenmolix bootloader played on a file descriptor (the master
// of a pseudo terminal, or a real port), for tests, the benchmark and the demo.
//
// How it reads the byte stream:
// - Until it has answered, it looks for "VERS" anywhere in what arrives, also across reads;
//   bytes around it are recorded and otherwise ignored. With noAnswerToVers it stays there,
//   counting every "VERS".
// - After an answer, and before any page byte, a "VERS" (the first four bytes to arrive) is a new
//   request and is answered again (the tool re-identifies when its user picks the port again). The
//   first byte that cannot begin "VERS" starts page 0, together with the bytes held before it.
// - From then on everything is page data, 256 bytes a page, with the running CRC-16/MODBUS over
//   all of it. Each complete page is answered at once with the checksum, high byte first; the
//   page with index pageCount - 1 with the checksum and "FZ". Pages past pageCount are recorded
//   but not answered (the device has no room for them).
// - After the final acknowledgement it looks for "PUSK", also across reads and after other bytes;
//   once it came, further bytes are only recorded.
// Whatever arrives is recorded in `received`, whatever the phase. A write shows in the report (with
// what it was: a reply, an acknowledgement) once it has returned, which may be a moment after the
// far end has read it: wait for the report rather than read it at once. The line closing (hang-up,
// EOF, EIO, POLLERR/POLLHUP without data) ends the simulator's thread by itself.
//
// Threads: start(), stop(), report() and the waits run on any thread but the simulator's own; the
// simulator's own thread reads, answers and updates the report.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "DeviceReport.h"
#include "DeviceSettings.h"

class PseudoTerminal;

class DeviceSimulator {
 public:
  using Clock = std::chrono::steady_clock;
  using Condition = std::function<bool(const DeviceReport&)>;

  // Serves on `fd`, which stays the caller's and must outlive the simulator. The descriptor is
  // put in non-blocking mode. `closeLine` is what the hang-up case calls (on the simulator's
  // thread); without it a hang-up only ends the serving.
  DeviceSimulator(int fd, DeviceSettings settings, std::function<void()> closeLine = {});
  // Serves on the master of `line`; a hang-up closes the master. Leave the master alone while
  // the simulator runs.
  explicit DeviceSimulator(PseudoTerminal& line, DeviceSettings settings = {});
  ~DeviceSimulator() noexcept;
  DeviceSimulator(const DeviceSimulator&) = delete;
  DeviceSimulator& operator=(const DeviceSimulator&) = delete;

  // Starts serving on a thread of its own; once only.
  void start();
  // Wakes the thread from whatever it waits for (the line, a pause) and joins it. Idempotent;
  // one caller at a time (the destructor calls it too).
  void stop() noexcept;

  const DeviceSettings& settings() const { return settings_; }
  DeviceReport report() const;

  // Waits until `condition` holds for the report, or the timeout has passed; returns whether it
  // holds. The condition runs under the report's lock: it must not call the simulator.
  bool waitUntil(const Condition& condition, std::chrono::milliseconds timeout) const;
  bool waitForIdentificationReplies(std::size_t count, std::chrono::milliseconds timeout) const;
  bool waitForAcks(std::size_t count, std::chrono::milliseconds timeout) const;
  bool waitForImageBytes(std::size_t count, std::chrono::milliseconds timeout) const;
  bool waitForPusk(std::chrono::milliseconds timeout) const;
  bool waitForLineClosed(std::chrono::milliseconds timeout) const;
  bool waitForFinished(std::chrono::milliseconds timeout) const;

 private:
  enum class Phase { AwaitingRequest, AwaitingFirstPageByte, ReceivingPages, AwaitingRunCommand, Started, Closed };

  // Received bytes with the times they arrived: the byte at index i came at first + i * step.
  struct Arrival {
    const std::uint8_t* data;
    std::size_t size;
    Clock::time_point first;
    Clock::duration step;
    Clock::time_point at(std::size_t i) const { return first + static_cast<Clock::rep>(i) * step; }
  };

  void serve();
  bool readAndConsume(std::uint8_t* buffer, std::size_t capacity);
  std::size_t pacedReadLimit() const;
  void consume(const Arrival& arrival);
  std::size_t consumeRequest(const Arrival& arrival, std::size_t from);
  std::size_t consumeFirstPageBytes(const Arrival& arrival, std::size_t from);
  std::size_t consumePageBytes(const Arrival& arrival, std::size_t from);
  std::size_t consumeRunCommand(const Arrival& arrival, std::size_t from);
  void answerRequest();
  void completePage();
  void acknowledge(std::size_t page, bool final, bool wrong);
  void hangUp();
  void lineLost();

  using ReportChange = std::function<void(DeviceReport&)>;

  // Writing and waiting; each returns false when the simulator is stopping or the line is gone.
  // A write is recorded once it has returned, together with `alsoRecord` (what the write meant).
  bool send(const std::vector<std::uint8_t>& bytes, const ReportChange& alsoRecord = {});
  bool writeAll(const std::vector<std::uint8_t>& bytes);
  bool pauseUntil(Clock::time_point deadline);
  bool pauseFor(Clock::duration pause) { return pauseUntil(Clock::now() + pause); }
  bool stopping() const { return stopRequested_.load(std::memory_order_acquire); }

  template <typename Change>
  void updateReport(Change change);

  const int fd_;
  const DeviceSettings settings_;
  const std::function<void()> closeLine_;
  const Clock::duration byteTime_;
  int wakeFd_ = -1;  // eventfd; readable once stop() was called
  std::atomic<bool> stopRequested_{false};
  std::thread thread_;

  // Owned by the simulator's thread.
  Phase phase_ = Phase::AwaitingRequest;
  std::size_t requestMatched_ = 0;         // bytes of "VERS" matched so far
  std::vector<std::uint8_t> heldBytes_;    // the start of what may be a repeated "VERS"
  std::vector<Clock::time_point> heldAt_;
  std::size_t pageFill_ = 0;               // bytes of the current page received
  std::size_t pagesComplete_ = 0;
  std::uint16_t crc_ = 0xFFFF;
  std::size_t runCommandMatched_ = 0;      // bytes of "PUSK" matched so far
  Clock::time_point receiveLineBusyUntil_{};
  Clock::time_point sendLineBusyUntil_{};

  mutable std::mutex reportMutex_;
  mutable std::condition_variable reportChanged_;
  DeviceReport report_;
};
