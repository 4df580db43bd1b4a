#include "UploadProbe.h"

#include "bench/UploadMeasurement.h"
#include "serial/THIComAsync.h"

namespace {
constexpr std::int32_t kRunCommandLength = 4;  // "PUSK"
constexpr std::size_t kTurnaroundsExpected = 1015;
}  // namespace

void UploadProbe::attach(THIComAsync& port) {
  uiThread_ = std::this_thread::get_id();
  turnaroundMicros_.reserve(kTurnaroundsExpected);
  port.onQueued.link([this, &port](const TData& value) {
    chunkQueued();
    port.doReadQueued(value);
  });
  port.onSent.link([this](const TData& value) { written(value.toInt()); });
}

void UploadProbe::chunkQueued() {
  if (!armed_.load(std::memory_order_acquire)) return;
  // An acknowledgement split over chunks is timed from its last chunk.
  chunkAt_ = Clock::now();
  awaitingFirstPageByte_ = true;
}

void UploadProbe::written(std::int32_t count) {
  if (std::this_thread::get_id() == uiThread_ || !awaitingFirstPageByte_) return;
  const Clock::time_point now = Clock::now();
  awaitingFirstPageByte_ = false;
  if (count == kRunCommandLength) {
    runCommandAt_ = now;
    processCpuAtRunCommand_ = processCpuNow();
    receiveThreadCpuAtRunCommand_ = threadCpuNow();
    finished_.store(true, std::memory_order_release);
    return;
  }
  turnaroundMicros_.push_back(inMicros(now - chunkAt_));
}
