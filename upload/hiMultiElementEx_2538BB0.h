#pragma once
// The upload unit: sends the firmware image in pages of 256 bytes, one byte per onSend, lets the
// device pace the transfer by acknowledging each page with the running checksum, sends "PUSK" on the
// final acknowledgement, and reports a device that falls silent for three timer ticks.
// Threads: doStartUpload on the UI thread, doReply on the receive thread, the silence tick on the
// timer's thread; the unit serializes the three with one lock (see doReply for the one exception).

#include <chrono>
#include <cstdint>
#include <mutex>
#include <span>

#include "FirmwareImage.h"
#include "RunningChecksum.h"
#include "elements/Points.h"
#include "elements/THICounter.h"
#include "elements/THIMMTimer.h"
#include "resources/EmbeddedFirmware.h"

class TClassMultiElementEx_2538BB0 {
 public:
  explicit TClassMultiElementEx_2538BB0(std::chrono::milliseconds silenceInterval = std::chrono::milliseconds(1000),
                                        std::span<const std::uint8_t> image = embeddedFirmware());
  // Stops the silence timer and waits for a tick in progress. Not to be called from an event handler
  // of this unit.
  ~TClassMultiElementEx_2538BB0() noexcept;
  TClassMultiElementEx_2538BB0(const TClassMultiElementEx_2538BB0&) = delete;
  TClassMultiElementEx_2538BB0& operator=(const TClassMultiElementEx_2538BB0&) = delete;

  // Points by index, as the main window wires them.
  WorkPoint work(int index);      // 0 doReply, 1 doStartUpload
  Event& event(int index);        // 0 onProgress, 1 onSend, 2 onUploadDone, 3 onUploadError,
                                  // 4 onCrcText, 5 onReplyEcho
  DataLink& dataLink(int index);  // 0 CrcState
  DataLink& crcState() { return crcState_; }

  // Ends the silence timer for good, waiting for a tick being handled, so that the main window can
  // release what a tick reaches (its failure handling) before this unit. Not from a handler.
  void endSilenceTimer() noexcept { silenceTimer_.end(); }

  void doReply(const TData& received);
  void doStartUpload(const TData& ignored);

  Event onProgress;
  Event onSend;
  Event onUploadDone;
  Event onUploadError;
  Event onCrcText;
  Event onReplyEcho;

 private:
  void sendPage();
  void silenceTick();

  // Recursive so that a handler which calls back into the unit on the same thread does not
  // deadlock against itself.
  std::recursive_mutex mutex_;
  FirmwareImage image_;
  RunningChecksum checksum_;
  THICounter pageCounter_{0, 1015};
  THICounter silenceCounter_{0, 100};
  // Accepted so that data point 0 can be wired by index. The running checksum is kept here as a
  // number; the field behind this link only receives copies through onCrcText.
  DataLink crcState_;
  // Last member: destroyed first, so a tick in progress ends before anything it touches goes.
  THIMMTimer silenceTimer_;
};
