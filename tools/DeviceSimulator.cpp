#include "DeviceSimulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <span>
#include <string_view>
#include <system_error>

#include "Crc16Modbus.h"
#include "PseudoTerminal.h"

namespace {

constexpr std::string_view kRequest = "VERS";
constexpr std::string_view kRunCommand = "PUSK";
constexpr std::size_t kReadCapacity = 64 * 1024;
// Paced reads take at most this much at a time, so page ends are seen close to when the line
// would have carried them.
constexpr std::size_t kPacedReadLimit = 128;

// Advances a match of `word` over one byte. The two words have no prefix that is also a suffix,
// so after a mismatch only the byte itself can begin a new match.
std::size_t advanceMatch(std::string_view word, std::size_t matched, std::uint8_t byte) {
  if (static_cast<char>(byte) == word[matched]) return matched + 1;
  return static_cast<char>(byte) == word[0] ? 1 : 0;
}

timespec toTimespec(std::chrono::nanoseconds duration) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
  return timespec{static_cast<time_t>(seconds.count()), static_cast<long>((duration - seconds).count())};
}

}  // namespace

DeviceSimulator::DeviceSimulator(int fd, DeviceSettings settings, std::function<void()> closeLine)
    : fd_(fd),
      settings_(std::move(settings)),
      closeLine_(std::move(closeLine)),
      byteTime_(std::chrono::duration_cast<Clock::duration>(
          std::chrono::nanoseconds(std::int64_t{kLineBitsPerByte} * 1'000'000'000 / kLineBitsPerSecond))) {
  wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

DeviceSimulator::DeviceSimulator(PseudoTerminal& line, DeviceSettings settings)
    : DeviceSimulator(line.masterFd(), std::move(settings), [&line] { line.closeMaster(); }) {}

DeviceSimulator::~DeviceSimulator() noexcept {
  stop();
  ::close(wakeFd_);
}

void DeviceSimulator::start() {
  if (thread_.joinable()) return;
  const int flags = ::fcntl(fd_, F_GETFL);
  if (flags >= 0) ::fcntl(fd_, F_SETFL, flags | O_NONBLOCK);
  thread_ = std::thread([this] { serve(); });
}

void DeviceSimulator::stop() noexcept {
  stopRequested_.store(true, std::memory_order_release);
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

DeviceReport DeviceSimulator::report() const {
  std::lock_guard lock(reportMutex_);
  return report_;
}

bool DeviceSimulator::waitUntil(const Condition& condition, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(reportMutex_);
  return reportChanged_.wait_until(lock, Clock::now() + timeout, [&] { return condition(report_); });
}

bool DeviceSimulator::waitForIdentificationReplies(std::size_t count, std::chrono::milliseconds timeout) const {
  return waitUntil([count](const DeviceReport& r) { return r.identificationReplies >= count; }, timeout);
}

bool DeviceSimulator::waitForAcks(std::size_t count, std::chrono::milliseconds timeout) const {
  return waitUntil([count](const DeviceReport& r) { return r.acks.size() >= count; }, timeout);
}

bool DeviceSimulator::waitForImageBytes(std::size_t count, std::chrono::milliseconds timeout) const {
  return waitUntil([count](const DeviceReport& r) { return r.image.size() >= count; }, timeout);
}

bool DeviceSimulator::waitForPusk(std::chrono::milliseconds timeout) const {
  return waitUntil([](const DeviceReport& r) { return r.puskReceived; }, timeout);
}

bool DeviceSimulator::waitForLineClosed(std::chrono::milliseconds timeout) const {
  return waitUntil([](const DeviceReport& r) { return r.lineClosed; }, timeout);
}

bool DeviceSimulator::waitForFinished(std::chrono::milliseconds timeout) const {
  return waitUntil([](const DeviceReport& r) { return r.finished; }, timeout);
}

template <typename Change>
void DeviceSimulator::updateReport(Change change) {
  {
    std::lock_guard lock(reportMutex_);
    change(report_);
  }
  reportChanged_.notify_all();
}

// ---- the simulator's thread ----

void DeviceSimulator::serve() {
  std::vector<std::uint8_t> buffer(kReadCapacity);
  while (phase_ != Phase::Closed && !stopping()) {
    if (!readAndConsume(buffer.data(), buffer.size())) break;
  }
  updateReport([](DeviceReport& r) { r.finished = true; });
}

std::size_t DeviceSimulator::pacedReadLimit() const {
  if (phase_ == Phase::ReceivingPages) return std::min(kPacedReadLimit, kPageSize - pageFill_);
  return kPacedReadLimit;
}

// Waits for bytes or for stop(), reads what is there and handles it. False ends the serving.
bool DeviceSimulator::readAndConsume(std::uint8_t* buffer, std::size_t capacity) {
  pollfd watched[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
  if (::poll(watched, 2, -1) < 0) {
    if (errno == EINTR) return true;
    lineLost();
    return false;
  }
  if (watched[1].revents != 0) return false;
  if ((watched[0].revents & POLLNVAL) != 0) {
    lineLost();
    return false;
  }
  const Clock::time_point readableAt = Clock::now();
  const std::size_t limit = settings_.paceAtLineRate ? pacedReadLimit() : capacity;
  const ssize_t count = ::read(fd_, buffer, limit);
  if (count < 0 && errno == EINTR) return true;
  if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
    // Readable without data: a hang-up or an error condition is all that is left.
    if ((watched[0].revents & (POLLHUP | POLLERR)) == 0) return true;
    lineLost();
    return false;
  }
  if (count <= 0) {
    lineLost();
    return false;
  }

  Arrival arrival{buffer, static_cast<std::size_t>(count), readableAt, Clock::duration::zero()};
  if (settings_.paceAtLineRate) {
    // The bytes cross the line after the ones before them, and no earlier than they were seen:
    // never faster than the line, at the cost of a few microseconds per read.
    const Clock::time_point start = std::max(receiveLineBusyUntil_, readableAt);
    arrival.first = start + byteTime_;
    arrival.step = byteTime_;
    receiveLineBusyUntil_ = start + count * byteTime_;
    if (!pauseUntil(receiveLineBusyUntil_)) return false;
  }
  consume(arrival);
  return true;
}

void DeviceSimulator::consume(const Arrival& arrival) {
  updateReport([&](DeviceReport& r) { r.received.insert(r.received.end(), arrival.data, arrival.data + arrival.size); });
  std::size_t next = 0;
  while (next < arrival.size && phase_ != Phase::Closed && !stopping()) {
    switch (phase_) {
      case Phase::AwaitingRequest: next = consumeRequest(arrival, next); break;
      case Phase::AwaitingFirstPageByte: next = consumeFirstPageBytes(arrival, next); break;
      case Phase::ReceivingPages: next = consumePageBytes(arrival, next); break;
      case Phase::AwaitingRunCommand: next = consumeRunCommand(arrival, next); break;
      case Phase::Started:
      case Phase::Closed: next = arrival.size; break;
    }
  }
}

std::size_t DeviceSimulator::consumeRequest(const Arrival& arrival, std::size_t from) {
  for (std::size_t i = from; i < arrival.size; ++i) {
    requestMatched_ = advanceMatch(kRequest, requestMatched_, arrival.data[i]);
    if (requestMatched_ < kRequest.size()) continue;
    requestMatched_ = 0;
    updateReport([](DeviceReport& r) { ++r.identificationRequests; });
    if (!settings_.noAnswerToVers) {
      answerRequest();
      if (phase_ != Phase::Closed) phase_ = Phase::AwaitingFirstPageByte;
    }
    return i + 1;
  }
  return arrival.size;
}

std::size_t DeviceSimulator::consumeFirstPageBytes(const Arrival& arrival, std::size_t from) {
  for (std::size_t i = from; i < arrival.size; ++i) {
    const std::uint8_t byte = arrival.data[i];
    if (static_cast<char>(byte) == kRequest[heldBytes_.size()]) {
      heldBytes_.push_back(byte);
      heldAt_.push_back(arrival.at(i));
      if (heldBytes_.size() < kRequest.size()) continue;
      heldBytes_.clear();
      heldAt_.clear();
      updateReport([](DeviceReport& r) { ++r.identificationRequests; });
      answerRequest();
      return i + 1;
    }
    // Not a request: the held bytes were the start of page 0, and so is this byte.
    phase_ = Phase::ReceivingPages;
    const std::vector<std::uint8_t> held = std::move(heldBytes_);
    const std::vector<Clock::time_point> heldAt = std::move(heldAt_);
    heldBytes_.clear();
    heldAt_.clear();
    for (std::size_t k = 0; k < held.size(); ++k) {
      consumePageBytes(Arrival{&held[k], 1, heldAt[k], Clock::duration::zero()}, 0);
    }
    return i;
  }
  return arrival.size;
}

std::size_t DeviceSimulator::consumePageBytes(const Arrival& arrival, std::size_t from) {
  const std::size_t take = std::min(arrival.size - from, kPageSize - pageFill_);
  const std::span<const std::uint8_t> bytes(arrival.data + from, take);
  crc_ = devicesim::crc16Modbus(bytes, crc_);
  const bool pageBegins = pageFill_ == 0;
  const Clock::time_point firstAt = arrival.at(from);
  const Clock::time_point lastAt = arrival.at(from + take - 1);
  updateReport([&](DeviceReport& r) {
    if (pageBegins) r.pages.push_back({firstAt, lastAt});
    r.pages.back().lastByteAt = lastAt;
    r.image.insert(r.image.end(), bytes.begin(), bytes.end());
    r.checksum = crc_;
  });
  pageFill_ += take;
  if (pageFill_ == kPageSize) {
    pageFill_ = 0;
    ++pagesComplete_;
    completePage();
  }
  return from + take;
}

std::size_t DeviceSimulator::consumeRunCommand(const Arrival& arrival, std::size_t from) {
  for (std::size_t i = from; i < arrival.size; ++i) {
    runCommandMatched_ = advanceMatch(kRunCommand, runCommandMatched_, arrival.data[i]);
    if (runCommandMatched_ < kRunCommand.size()) continue;
    const Clock::time_point at = arrival.at(i);
    updateReport([at](DeviceReport& r) {
      r.puskReceived = true;
      r.puskAt = at;
    });
    phase_ = Phase::Started;
    return i + 1;
  }
  return arrival.size;
}

void DeviceSimulator::answerRequest() {
  const std::string text = settings_.makerWord + " " + settings_.designation + " " + settings_.version;
  const std::vector<std::uint8_t> reply(text.begin(), text.end());
  const auto countReply = [](DeviceReport& r) { ++r.identificationReplies; };
  if (settings_.identificationChunkGap) {
    const std::size_t split = std::min(settings_.identificationSplitAt, reply.size());
    const std::vector<std::uint8_t> head(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(split));
    const std::vector<std::uint8_t> tail(reply.begin() + static_cast<std::ptrdiff_t>(split), reply.end());
    if (!head.empty() && !send(head)) return;
    if (!pauseFor(*settings_.identificationChunkGap)) return;
    if (!tail.empty() && !send(tail, countReply)) return;
    if (tail.empty()) updateReport(countReply);
  } else if (!send(reply, countReply)) {
    return;
  }
  const std::string& garbage = settings_.garbageAfterIdentification;
  if (garbage.empty() || !pauseFor(settings_.garbageDelay)) return;
  send(std::vector<std::uint8_t>(garbage.begin(), garbage.end()));
}

void DeviceSimulator::completePage() {
  const std::size_t page = pagesComplete_ - 1;
  if (settings_.hangUpAtPage == page) {
    hangUp();
    return;
  }
  if (page >= settings_.pageCount) return;
  if (settings_.silentFromPage && page >= *settings_.silentFromPage) return;
  const bool final = settings_.finalAckAfterPage == page || (!settings_.noFinalAck && page + 1 == settings_.pageCount);
  acknowledge(page, final, settings_.wrongChecksumAtPage == page);
}

void DeviceSimulator::acknowledge(std::size_t page, bool final, bool wrong) {
  const std::uint16_t value = wrong ? static_cast<std::uint16_t>(crc_ ^ 0xFFFFU) : crc_;
  const auto high = static_cast<std::uint8_t>(value >> 8);
  const auto low = static_cast<std::uint8_t>(value & 0xFFU);
  std::vector<std::uint8_t> ack = settings_.lowByteFirst ? std::vector<std::uint8_t>{low, high}
                                                         : std::vector<std::uint8_t>{high, low};
  if (final) ack.insert(ack.end(), {'F', 'Z'});

  const auto record = [&](DeviceReport& r) {
    r.acks.push_back({page, ack, final, r.sent.back().at});
    if (final) r.finalAckSent = true;
  };
  if (settings_.ackDelay > Clock::duration::zero() && !pauseFor(settings_.ackDelay)) return;
  if (settings_.ackByteGap) {
    for (std::size_t i = 0; i < ack.size(); ++i) {
      if (i > 0 && !pauseFor(*settings_.ackByteGap)) return;
      if (!send({ack[i]}, i + 1 == ack.size() ? ReportChange(record) : ReportChange())) return;
    }
  } else if (!send(ack, record)) {
    return;
  }
  if (final) phase_ = Phase::AwaitingRunCommand;
}

void DeviceSimulator::hangUp() {
  if (closeLine_) closeLine_();
  phase_ = Phase::Closed;
  updateReport([](DeviceReport& r) {
    r.hungUp = true;
    r.lineClosed = true;
  });
}

void DeviceSimulator::lineLost() {
  phase_ = Phase::Closed;
  updateReport([](DeviceReport& r) { r.lineClosed = true; });
}

bool DeviceSimulator::send(const std::vector<std::uint8_t>& bytes, const ReportChange& alsoRecord) {
  if (settings_.paceAtLineRate) {
    const Clock::time_point start = std::max(sendLineBusyUntil_, Clock::now());
    sendLineBusyUntil_ = start + static_cast<Clock::rep>(bytes.size()) * byteTime_;
    if (!pauseUntil(sendLineBusyUntil_)) return false;
  }
  if (!writeAll(bytes)) {
    if (!stopping()) lineLost();
    return false;
  }
  const Clock::time_point at = Clock::now();
  updateReport([&](DeviceReport& r) {
    r.sent.push_back({bytes, at});
    if (alsoRecord) alsoRecord(r);
  });
  return true;
}

bool DeviceSimulator::writeAll(const std::vector<std::uint8_t>& bytes) {
  std::size_t offset = 0;
  while (offset < bytes.size()) {
    const ssize_t written = ::write(fd_, bytes.data() + offset, bytes.size() - offset);
    if (written > 0) {
      offset += static_cast<std::size_t>(written);
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd watched[2] = {{fd_, POLLOUT, 0}, {wakeFd_, POLLIN, 0}};
      if (::poll(watched, 2, -1) < 0 && errno != EINTR) return false;
      if (watched[1].revents != 0) return false;
      if ((watched[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return false;
      continue;
    }
    return false;
  }
  return true;
}

bool DeviceSimulator::pauseUntil(Clock::time_point deadline) {
  for (;;) {
    if (stopping()) return false;
    const Clock::time_point now = Clock::now();
    if (now >= deadline) return true;
    pollfd wake{wakeFd_, POLLIN, 0};
    const timespec timeout = toTimespec(std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - now));
    const int ready = ::ppoll(&wake, 1, &timeout, nullptr);
    if (ready > 0) return false;
    if (ready < 0 && errno != EINTR) return false;
  }
}
