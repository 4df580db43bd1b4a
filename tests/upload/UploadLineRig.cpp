#include "UploadLineRig.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

UploadLineRig::UploadLineRig(DeviceSettings device, std::chrono::milliseconds silenceInterval,
                             std::function<void()> onUploadDoneHandler)
    : tree_({line_.slavePath()}), onUploadDoneHandler_(std::move(onUploadDoneHandler)) {
  device_ = std::make_unique<DeviceSimulator>(line_, std::move(device));
  identify_ = std::make_unique<TClassMultiElementEx_25386E0>();
  upload_ = std::make_unique<TClassMultiElementEx_2538BB0>(silenceInterval);
  com_ = std::make_unique<THIComAsync>(tree_.catalog());

  // The links as the main window makes them, the window's own controls left out.
  com_->PortName.link(dataPoint(&selectedPort_, &THIEventFromData::value));
  identify_->event(2).link(workPoint(com_.get(), &THIComAsync::doOpenPort));
  com_->onOpenResult.link(identify_->work(0));
  identify_->event(0).link(workPoint(com_.get(), &THIComAsync::doSend));
  upload_->event(1).link([this](const TData& value) {
    com_->doSend(value);
    const bool imageByte = value.isStr() && value.toStr().size() == 1;
    if (imageByte) {
      std::lock_guard lock(mutex_);
      ++imageByteSends_;
    } else {
      record("onSend", value);
    }
  });
  com_->onReceived.link(workPoint(&receiveRouter_, &THICommutator::doRoute));
  receiveRouter_.RouteIndex.link(identify_->data(0));
  receiveRouter_.output(0).link(identify_->work(2));
  receiveRouter_.output(1).link(upload_->work(0));

  upload_->event(0).link([this](const TData& v) { record("onProgress", v); });
  upload_->event(2).link([this](const TData& v) {
    record("onUploadDone", v);
    if (onUploadDoneHandler_) onUploadDoneHandler_();
  });
  upload_->event(3).link([this](const TData& v) { record("onUploadError", v); });
  upload_->event(4).link([this](const TData&) {
    std::lock_guard lock(mutex_);
    ++checksumTexts_;
  });
  identify_->event(4).link([this](const TData& v) { record("onFound", v); });

  device_->start();
}

UploadLineRig::~UploadLineRig() noexcept {
  com_.reset();  // the receive thread ends before the units it calls go
  upload_.reset();
  identify_.reset();
  device_.reset();
}

bool UploadLineRig::identify() {
  selectedPort_.doData(TData("COM1"));
  identify_->work(1)(TData("COM1"));
  return waitForCount("onFound", 1, std::chrono::seconds(10)) && identify_->data(0)().toInt() == 1;
}

void UploadLineRig::record(const std::string& name, const TData& value) {
  {
    std::lock_guard lock(mutex_);
    notable_.push_back({name, value, std::chrono::steady_clock::now(), std::this_thread::get_id()});
  }
  changed_.notify_all();
}

std::vector<NotableEvent> UploadLineRig::notable() {
  std::lock_guard lock(mutex_);
  return notable_;
}

std::vector<NotableEvent> UploadLineRig::notable(const std::string& name) {
  std::vector<NotableEvent> found;
  for (auto& e : notable())
    if (e.name == name) found.push_back(e);
  return found;
}

std::size_t UploadLineRig::imageByteSends() {
  std::lock_guard lock(mutex_);
  return imageByteSends_;
}

std::size_t UploadLineRig::checksumTexts() {
  std::lock_guard lock(mutex_);
  return checksumTexts_;
}

bool UploadLineRig::waitUntil(const std::function<bool(const std::vector<NotableEvent>&)>& done,
                              std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return done(notable_); });
}

bool UploadLineRig::waitForCount(const std::string& name, std::size_t count, std::chrono::milliseconds timeout) {
  return waitUntil([&](const std::vector<NotableEvent>& events) {
    std::size_t n = 0;
    for (auto& e : events) n += e.name == name;
    return n >= count;
  }, timeout);
}

std::string firmwareFileBytes() {
  std::ifstream file(FIRMWARE_IMAGE_PATH, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}
