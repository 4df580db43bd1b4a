#pragma once
// The tool's end of the line, as small as the tests need: open the slave of a pseudo terminal,
// write requests and pages, read what the device answers within a time limit, see a hang-up.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

class ToolSide {
 public:
  using Clock = std::chrono::steady_clock;

  explicit ToolSide(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    if (fd_ < 0) throw std::runtime_error("cannot open " + path);
  }
  // Takes over `fd`, for instance a dup of a pseudo terminal's master.
  explicit ToolSide(int fd) : fd_(fd) {
    if (fd_ < 0) throw std::runtime_error("no descriptor");
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) | O_NONBLOCK);
  }
  ~ToolSide() noexcept { ::close(fd_); }
  ToolSide(const ToolSide&) = delete;
  ToolSide& operator=(const ToolSide&) = delete;

  // All of `bytes`, in as few writes as the line takes.
  void send(std::string_view bytes) { send(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size())); }
  void send(std::span<const std::uint8_t> bytes) {
    std::size_t offset = 0;
    while (offset < bytes.size()) {
      const ssize_t written = ::write(fd_, bytes.data() + offset, bytes.size() - offset);
      if (written > 0) {
        offset += static_cast<std::size_t>(written);
      } else if (written < 0 && (errno == EAGAIN || errno == EINTR)) {
        pollfd out{fd_, POLLOUT, 0};
        ::poll(&out, 1, 1000);
      } else {
        return;  // the line is gone; the test's expectations will say so
      }
    }
  }
  // One write per byte, as the tool sends pages.
  void sendOneBytePerWrite(std::span<const std::uint8_t> bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) send(bytes.subspan(i, 1));
  }

  // Reads until `count` bytes have come or `timeout` has passed; returns what came.
  std::string receive(std::size_t count, std::chrono::milliseconds timeout) {
    const Clock::time_point deadline = Clock::now() + timeout;
    std::string text;
    while (text.size() < count) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      if (left.count() <= 0) break;
      pollfd in{fd_, POLLIN, 0};
      if (::poll(&in, 1, static_cast<int>(left.count()) + 1) <= 0) continue;
      char buffer[4096];
      const ssize_t got = ::read(fd_, buffer, std::min(sizeof buffer, count - text.size()));
      if (got > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
        hungUp_ = true;
        break;
      }
    }
    return text;
  }

  // Whether the far end closed the line within `timeout`.
  bool waitForHangUp(std::chrono::milliseconds timeout) {
    if (!hungUp_) receive(std::string::npos, timeout);
    return hungUp_;
  }

 private:
  int fd_;
  bool hungUp_ = false;
};
