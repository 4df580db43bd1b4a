#include "DeviceReport.h"

#include <algorithm>
#include <cstdio>

#include "Sha256.h"

std::string DeviceReport::imageSha256() const { return devicesim::sha256Hex(image); }

namespace {

const char* yesNo(bool value) { return value ? "yes" : "no"; }

double seconds(DeviceReport::Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

}  // namespace

std::string DeviceReport::summary() const {
  std::string text;
  char line[160];
  const auto add = [&](int length) { text.append(line, static_cast<std::size_t>(std::max(length, 0))); };
  add(std::snprintf(line, sizeof line, "identification requests: %zu, replies: %zu\n", identificationRequests,
                    identificationReplies));
  add(std::snprintf(line, sizeof line, "image bytes received: %zu (%zu whole pages)\n", image.size(), pagesReceived()));
  add(std::snprintf(line, sizeof line, "image SHA-256: %s\n", imageSha256().c_str()));
  add(std::snprintf(line, sizeof line, "running checksum: %04X\n", static_cast<unsigned>(checksum)));
  add(std::snprintf(line, sizeof line, "acknowledgements written: %zu, final: %s\n", acks.size(), yesNo(finalAckSent)));
  add(std::snprintf(line, sizeof line, "PUSK received: %s\n", yesNo(puskReceived)));
  add(std::snprintf(line, sizeof line, "line: %s\n", hungUp ? "hung up" : lineClosed ? "closed" : "open"));
  add(std::snprintf(line, sizeof line, "bytes received in all: %zu\n", received.size()));
  if (!pages.empty() && !acks.empty()) {
    add(std::snprintf(line, sizeof line, "first page byte to last acknowledgement: %.3f s\n",
                      seconds(acks.back().at - pages.front().firstByteAt)));
    Clock::duration slowest = Clock::duration::zero();
    for (const Acknowledgement& ack : acks) {
      if (ack.page < pages.size()) slowest = std::max(slowest, ack.at - pages[ack.page].lastByteAt);
    }
    add(std::snprintf(line, sizeof line, "slowest acknowledgement after its page: %.3f ms\n", seconds(slowest) * 1000));
  }
  return text;
}
