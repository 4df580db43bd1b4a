#include "hiMultiElementEx_2538BB0.h"

#include <stdexcept>
#include <string>

namespace {
constexpr int kPageSize = 256;
constexpr std::int32_t kSilenceLimit = 3;
const char* const kRunCommand = "PUSK";
}  // namespace

TClassMultiElementEx_2538BB0::TClassMultiElementEx_2538BB0(std::chrono::milliseconds silenceInterval,
                                                           std::span<const std::uint8_t> image)
    : image_(image), silenceTimer_(silenceInterval) {
  silenceTimer_.onTimer.link([this](const TData&) { silenceTick(); });
}

TClassMultiElementEx_2538BB0::~TClassMultiElementEx_2538BB0() noexcept = default;

WorkPoint TClassMultiElementEx_2538BB0::work(int index) {
  using Self = TClassMultiElementEx_2538BB0;
  switch (index) {
    case 0: return workPoint(this, &Self::doReply);
    case 1: return workPoint(this, &Self::doStartUpload);
  }
  throw std::out_of_range("upload unit has work points 0..1");
}

Event& TClassMultiElementEx_2538BB0::event(int index) {
  switch (index) {
    case 0: return onProgress;
    case 1: return onSend;
    case 2: return onUploadDone;
    case 3: return onUploadError;
    case 4: return onCrcText;
    case 5: return onReplyEcho;
  }
  throw std::out_of_range("upload unit has events 0..5");
}

DataLink& TClassMultiElementEx_2538BB0::dataLink(int index) {
  if (index == 0) return crcState_;
  throw std::out_of_range("upload unit has data point 0");
}

void TClassMultiElementEx_2538BB0::doStartUpload(const TData&) {
  std::lock_guard lock(mutex_);
  sendPage();
  silenceTimer_.start();  // keeps its phase when already running
}

void TClassMultiElementEx_2538BB0::doReply(const TData& received) {
  std::unique_lock lock(mutex_);
  const RunningChecksum::Judgement judgement = checksum_.judge(received.toStr());
  switch (judgement.verdict) {
    case RunningChecksum::Verdict::FinalAck:
      onSend.fire(TData(kRunCommand));
      // The success handler may hold this thread for a long time (the main window waits 15 s in
      // it). Ticks meanwhile must still count and may report silence, so the lock is released
      // around it; the unit's state is consistent here and nothing below depends on what a tick
      // did. The timer is stopped only once the handler has returned.
      lock.unlock();
      onUploadDone.fire(TData(judgement.hex));
      lock.lock();
      silenceTimer_.stop();
      break;
    case RunningChecksum::Verdict::PageAck:
      onProgress.fire(TData(pageCounter_.next()));
      sendPage();
      break;
    case RunningChecksum::Verdict::Rejected:
      onUploadError.fire(TData(judgement.hex));
      break;
  }
  onReplyEcho.fire(received);
  silenceCounter_.reset();
}

void TClassMultiElementEx_2538BB0::sendPage() {
  for (int i = 0; i < kPageSize; ++i) {
    const std::uint8_t byte = image_.readNext();
    onSend.fire(TData(std::string(1, static_cast<char>(byte))));
    checksum_.advance(byte, [this](const std::string& text) { onCrcText.fire(TData(text)); });
  }
}

void TClassMultiElementEx_2538BB0::silenceTick() {
  std::lock_guard lock(mutex_);
  // A tick that was already under way when a final acknowledgement stopped the timer is dropped:
  // ticks count only while the timer runs.
  if (!silenceTimer_.isRunning()) return;
  if (silenceCounter_.next() == kSilenceLimit) onUploadError.fire(TData(kSilenceLimit));
}
