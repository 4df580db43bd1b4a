#pragma once
// The upload unit on a real line: the device simulator on the master of a pseudo terminal, the
// serial element on its slave (listed as COM1 through a prepared port tree), and the
// identification unit, the router and the links as the main window makes them. Events are kept
// lean (a full upload is half a million of them): single image bytes and checksum texts are only
// counted, everything else is recorded in order with its time and thread.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "elements/THIEventFromData.h"
#include "identify/hiMultiElementEx_25386E0.h"
#include "serial/THIComAsync.h"
#include "serial/THICommutator.h"
#include "tools/DeviceSimulator.h"
#include "tools/PreparedPortTree.h"
#include "tools/PseudoTerminal.h"
#include "upload/hiMultiElementEx_2538BB0.h"

struct NotableEvent {
  std::string name;  // onProgress, onSend (anything but one image byte), onUploadDone, onUploadError
  TData value;
  std::chrono::steady_clock::time_point at;
  std::thread::id thread;
};

class UploadLineRig {
 public:
  // `onUploadDoneHandler` runs inside onUploadDone on the receive thread, after it was recorded.
  UploadLineRig(DeviceSettings device, std::chrono::milliseconds silenceInterval,
                std::function<void()> onUploadDoneHandler = nullptr);
  ~UploadLineRig() noexcept;

  // Picks COM1 and waits until the device has been identified.
  bool identify();
  void startUpload() { upload_->work(1)(TData()); }

  std::vector<NotableEvent> notable();
  std::vector<NotableEvent> notable(const std::string& name);
  std::size_t imageByteSends();
  std::size_t checksumTexts();
  bool waitUntil(const std::function<bool(const std::vector<NotableEvent>&)>& done,
                 std::chrono::milliseconds timeout);
  bool waitForCount(const std::string& name, std::size_t count, std::chrono::milliseconds timeout);

  DeviceSimulator& device() { return *device_; }
  TClassMultiElementEx_2538BB0& upload() { return *upload_; }

 private:
  void record(const std::string& name, const TData& value);

  dispatch::ScopedSwitch dispatchOn_{true};
  PseudoTerminal line_;
  PreparedPortTree tree_;
  std::function<void()> onUploadDoneHandler_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<NotableEvent> notable_;
  std::size_t imageByteSends_ = 0;
  std::size_t checksumTexts_ = 0;

  std::unique_ptr<DeviceSimulator> device_;
  THIEventFromData selectedPort_;
  std::unique_ptr<TClassMultiElementEx_25386E0> identify_;
  std::unique_ptr<TClassMultiElementEx_2538BB0> upload_;
  THICommutator receiveRouter_{2};
  std::unique_ptr<THIComAsync> com_;
};

// The image the build embeds, read from its file.
std::string firmwareFileBytes();
