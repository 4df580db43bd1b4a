#include "THIComAsync.h"

#include <algorithm>
#include <chrono>
#include <system_error>

#include "serial/LineSettings.h"
#include "serial/PortName.h"

namespace {
// One chunk never needs more: the input queue is far smaller.
constexpr std::size_t kLargestRead = 64 * 1024;
// The element whose receive loop runs on this thread, if any.
thread_local const THIComAsync* receiveLoopOnThisThread = nullptr;
}  // namespace

THIComAsync::THIComAsync(std::shared_ptr<PortCatalog> catalog) : catalog_(std::move(catalog)) {
  onQueued.link(workPoint(this, &THIComAsync::doReadQueued));
}

THIComAsync::~THIComAsync() noexcept { closePort(); }

void THIComAsync::doListPorts(const TData&) {
  for (const CatalogPort& port : catalog_->ports()) onPortListed.fire(TData(port.name));
}

void THIComAsync::doOpenPort(const TData&) {
  if (open_.load()) return;
  portName_ = PortName.read().value_or(TData{}).toStr();
  const std::int32_t number = portNumberFromName(portName_);
  if (number == 0) {
    onOpenResult.fire(TData(0));
    return;
  }
  const auto devicePath = catalog_->devicePathFor(portName_);
  PortError error = PortError::NotFound;
  if (devicePath) port_ = SerialBackend::open(*devicePath, catalog_->lockDirectories(), error);
  if (!port_) {
    onOpenResult.fire(TData(0));
    return;
  }
  open_.store(true);

  bool configured = port_->discardQueues() == PortError::None;
  if (configured) {
    port_->requestQueueSizes(LineSettings.receiveQueueSize, LineSettings.sendQueueSize);
    configured = port_->applyLineParameters(LineSettings) == PortError::None &&
                 port_->applyTimeLimits(LineSettings) == PortError::None &&
                 port_->applyWatchedConditions(LineSettings) == PortError::None;
  }
  if (configured) {
    try {
      receiving_.store(true);
      endAfterDelivery_.store(false);
      receiveThread_ = std::jthread([this](std::stop_token stop) { receiveLoop(stop); });
    } catch (const std::system_error&) {
      receiving_.store(false);
      configured = false;
    }
  }
  if (!configured) {
    closePort();
    onOpenResult.fire(TData(0));
    return;
  }
  onOpenResult.fire(TData(number));
}

void THIComAsync::doClosePort(const TData&) { closePort(); }

void THIComAsync::closePort() noexcept {
  if (!open_.load()) return;
  if (receiveLoopOnThisThread == this) {
    // Asked from inside a delivery: the thread cannot wait for itself. It ends after this delivery;
    // the port itself is closed by the next close on the user-interface thread.
    endAfterDelivery_.store(true);
    return;
  }
  if (receiveThread_.joinable()) {
    receiveThread_.request_stop();
    port_->interruptWait();
    receiveThread_.join();  // a delivery under way finishes first; it never waits for this thread
  }
  port_->close();
  port_.reset();
  open_.store(false);
}

void THIComAsync::doSend(const TData& value) {
  const std::string bytes = value.toStr();
  if (!open_.load()) return;
  if (bytes.empty()) {
    onSent.fire(TData(0));
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + LineSettings.writeTimeLimit(bytes.size());
  const WriteResult result = port_->write(bytes, deadline);
  const std::size_t written = result.error == PortError::None ? result.written : 0;
  onSent.fire(TData(static_cast<std::int32_t>(written)));
}

void THIComAsync::doReadQueued(const TData& value) {
  if (!open_.load()) return;
  readInDelivery_.store(true);
  const std::int32_t wanted = value.toInt();
  const std::size_t count = wanted > 0 ? std::min(static_cast<std::size_t>(wanted), kLargestRead) : 0;
  const auto chunk = port_->read(count);
  onReceived.fire(TData(chunk.value_or(std::string())));
}

void THIComAsync::receiveLoop(const std::stop_token& stop) {
  receiveLoopOnThisThread = this;
  SerialBackend::raiseCurrentThreadPriority();
  while (!stop.stop_requested() && !endAfterDelivery_.load()) {
    if (port_->waitForInput() != WaitResult::InputReady) break;
    if (stop.stop_requested()) break;
    // The query fails only when the line has gone away; waiting again would return at once, for
    // ever, so the loop ends here and the port stays logically open until doClosePort.
    const auto queued = port_->queuedCount();
    if (!queued) break;
    readInDelivery_.store(false);
    onQueued.fire(TData(static_cast<std::int32_t>(std::min(*queued, kLargestRead))));
    // Nobody took the bytes (dispatch off, or onQueued not linked): they reach nobody, and are
    // dropped so that the next wait sleeps instead of returning at once.
    if (!readInDelivery_.load() && *queued > 0) port_->read(std::min(*queued, kLargestRead));
  }
  receiving_.store(false);
}
