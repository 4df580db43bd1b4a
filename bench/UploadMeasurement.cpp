#include "UploadMeasurement.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "tools/DeviceReport.h"

void requireWholeUpload(const DeviceReport& report, std::span<const std::uint8_t> image) {
  const std::size_t pages = image.size() / kPageSize;
  if (!std::equal(report.image.begin(), report.image.end(), image.begin(), image.end()))
    throw std::runtime_error("the device received " + std::to_string(report.image.size()) +
                             " image bytes, not the image");
  if (report.acks.size() != pages || !report.finalAckSent)
    throw std::runtime_error("the device acknowledged " + std::to_string(report.acks.size()) + " of " +
                             std::to_string(pages) + " pages");
  if (!report.puskReceived) throw std::runtime_error("the device never received PUSK");
}

std::vector<double> deviceTurnarounds(const DeviceReport& report) {
  std::vector<double> micros;
  for (const DeviceReport::Acknowledgement& ack : report.acks) {
    if (ack.final || ack.page + 1 >= report.pages.size()) continue;
    micros.push_back(inMicros(report.pages[ack.page + 1].firstByteAt - ack.at));
  }
  return micros;
}
