#include "hiMultiElementEx_25386E0.h"

#include <stdexcept>

#include "ReplyWords.h"
#include "StatusFormatter.h"
#include "elements/Cp1251.h"

namespace {

struct Texts {
  std::string request = "VERS";
  std::string statusMask = cp1251FromUtf8("Устройство: %1   Текущая версия ПО: %2");
  std::string notFound = cp1251FromUtf8("На этом порту устройств не найдено.");
};

const Texts& texts() {
  static const Texts instance;
  return instance;
}

bool isFailedOpen(const TData& value) {
  if (value.isInt()) return value.toInt() == 0;
  if (value.isStr()) return value.toStr() == "0";
  return false;
}

}  // namespace

TClassMultiElementEx_25386E0::TClassMultiElementEx_25386E0()
    : makerWordTest_("TARVENMOLIX"), identifiedCounter_(0, 1, 0) {
  texts();  // encode the texts now rather than on the receive thread
}

WorkPoint TClassMultiElementEx_25386E0::work(int index) {
  using Self = TClassMultiElementEx_25386E0;
  switch (index) {
    case 0: return workPoint(this, &Self::doIdentify);
    case 1: return workPoint(this, &Self::doSelectPort);
    case 2: return workPoint(this, &Self::doReply);
  }
  throw std::out_of_range("identification unit has work points 0..2");
}

Event& TClassMultiElementEx_25386E0::event(int index) {
  switch (index) {
    case 0: return onSend;
    case 1: return onStatus;
    case 2: return onOpenPort;
    case 3: return onNotFound;
    case 4: return onFound;
  }
  throw std::out_of_range("identification unit has events 0..4");
}

DataPoint TClassMultiElementEx_25386E0::data(int index) {
  if (index == 0) return dataPoint(this, &TClassMultiElementEx_25386E0::identified);
  throw std::out_of_range("identification unit has data point 0");
}

void TClassMultiElementEx_25386E0::doIdentify(const TData& openResult) {
  if (isFailedOpen(openResult))
    reportNotFound(TData());
  else
    onSend.fire(TData(texts().request));
}

void TClassMultiElementEx_25386E0::doSelectPort(const TData& port) { onOpenPort.fire(port); }

void TClassMultiElementEx_25386E0::doReply(const TData& received) {
  const std::string text = received.toStr();
  if (text.find(' ') == std::string::npos) {
    reportNotFound(TData(text));
    return;
  }
  const auto words = splitReplyWords(text);
  if (!makerWordTest_.matches(words[0])) {
    reportNotFound(TData(words[0]));
    return;
  }
  onStatus.fire(TData(formatStatus(texts().statusMask, words[1], words[2])));
  identifiedCounter_.next();
  onFound.fire(TData(words[0]));
}

void TClassMultiElementEx_25386E0::reportNotFound(const TData& what) {
  onNotFound.fire(what);
  onStatus.fire(TData(texts().notFound));
}
