#pragma once
// What the simulated device saw and did: every byte received, the image bytes and their digest,
// every write it made and when, and where the exchange got to.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "DeviceSettings.h"

struct DeviceReport {
  using Clock = std::chrono::steady_clock;
  using Bytes = std::vector<std::uint8_t>;

  struct Write {
    Bytes bytes;
    Clock::time_point at;  // when the write returned
  };
  struct Acknowledgement {
    std::size_t page = 0;
    Bytes bytes;           // as meant for the line: 2 bytes, or 4 with "FZ"
    bool final = false;
    Clock::time_point at;  // when its last byte had been written
  };
  struct Page {
    Clock::time_point firstByteAt;
    Clock::time_point lastByteAt;  // of the latest byte so far, for a page not yet complete
  };

  Bytes received;                       // everything, in order, as it came off the line
  std::size_t identificationRequests = 0;
  std::size_t identificationReplies = 0;
  Bytes image;                          // page data, in order
  std::uint16_t checksum = 0xFFFF;      // running CRC-16/MODBUS over `image`
  std::vector<Page> pages;              // one per page begun
  std::vector<Acknowledgement> acks;    // in the order written
  std::vector<Write> sent;              // every write, replies and acknowledgements alike
  bool finalAckSent = false;
  bool puskReceived = false;
  std::optional<Clock::time_point> puskAt;
  bool hungUp = false;      // the device closed the line on purpose
  bool lineClosed = false;  // the line is gone: closed by the far end, failed, or hung up
  bool finished = false;    // the simulator's thread has ended (stopped, or the line closed)

  std::size_t pagesReceived() const { return image.size() / kPageSize; }
  std::size_t pagesAcknowledged() const { return acks.size(); }
  std::string imageSha256() const;  // lower-case hex
  // A few lines for people: counts, digest, where the exchange got to, upload and reply times.
  std::string summary() const;
};
