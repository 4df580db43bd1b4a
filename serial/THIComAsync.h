#pragma once
// The serial port element: lists the ports, opens the picked one with LineSettings, writes what it
// is handed and delivers what arrives, as chunks raised on a receive thread of its own.
// Threads: doListPorts, doOpenPort, doClosePort and destruction on the user-interface thread;
// doSend on any thread (the UI thread and the receive thread); the receive thread raises onQueued,
// runs doReadQueued and raises onReceived with everything behind it.

#include <atomic>
#include <cstddef>
#include <memory>
#include <stop_token>
#include <string>
#include <thread>

#include "elements/Points.h"
#include "serial/PortCatalog.h"
#include "serial/SerialBackend.h"

class THIComAsync {
 public:
  // onQueued comes linked to doReadQueued (the main window links them again, to the same point).
  explicit THIComAsync(std::shared_ptr<PortCatalog> catalog = std::make_shared<PortCatalog>());
  ~THIComAsync() noexcept;
  THIComAsync(const THIComAsync&) = delete;
  THIComAsync& operator=(const THIComAsync&) = delete;

  void doListPorts(const TData& value);
  void doOpenPort(const TData& value);
  void doClosePort(const TData& value);
  void doSend(const TData& value);
  void doReadQueued(const TData& value);

  Event onPortListed;  // text: one port name
  Event onOpenResult;  // integer: the port number, or 0 after any failure
  Event onQueued;      // integer: bytes waiting in the input queue (receive thread)
  Event onReceived;    // text: one chunk (receive thread)
  Event onSent;        // integer: bytes written (the caller's thread)

  DataLink PortName;

  bool isOpen() const { return open_.load(); }
  // True while the receive thread waits or delivers; false once it has ended, also when the line
  // went away while the port stays logically open.
  bool receiving() const { return receiving_.load(); }
  // The name taken at the last open (UI thread).
  const std::string& currentPortName() const { return portName_; }

 private:
  void closePort() noexcept;
  void receiveLoop(const std::stop_token& stop);

  std::shared_ptr<PortCatalog> catalog_;
  std::string portName_;
  std::atomic<bool> open_{false};
  std::atomic<bool> receiving_{false};
  std::atomic<bool> readInDelivery_{false};
  std::atomic<bool> endAfterDelivery_{false};
  // Set and reset on the UI thread only while no receive thread runs; read by both.
  std::unique_ptr<SerialBackend> port_;
  std::jthread receiveThread_;
};
