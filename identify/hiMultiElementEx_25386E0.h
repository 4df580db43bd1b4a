#pragma once
// The identification unit: asks the device on a freshly opened port who it is, judges the reply,
// produces the status line, and moves Identified from 0 to 1 when it accepts a reply.
// Threads: doIdentify and doSelectPort run on the UI thread; doReply and reads of Identified on the
// receive thread. They share no state except the atomic count behind Identified.

#include <string>

#include "elements/Points.h"
#include "elements/THICounter.h"
#include "elements/THIStrMask.h"

class TClassMultiElementEx_25386E0 {
 public:
  TClassMultiElementEx_25386E0();
  ~TClassMultiElementEx_25386E0() noexcept = default;
  TClassMultiElementEx_25386E0(const TClassMultiElementEx_25386E0&) = delete;
  TClassMultiElementEx_25386E0& operator=(const TClassMultiElementEx_25386E0&) = delete;

  // Points by index, as the main window wires them.
  WorkPoint work(int index);  // 0 doIdentify, 1 doSelectPort, 2 doReply
  Event& event(int index);    // 0 onSend, 1 onStatus, 2 onOpenPort, 3 onNotFound, 4 onFound
  DataPoint data(int index);  // 0 Identified

  // The open result: 0 (integer or the text "0") means the port did not open.
  void doIdentify(const TData& openResult);
  void doSelectPort(const TData& port);
  void doReply(const TData& received);
  TData identified() const { return identifiedCounter_.value(); }

  Event onSend;
  Event onStatus;
  Event onOpenPort;
  Event onNotFound;
  Event onFound;

 private:
  void reportNotFound(const TData& what);

  THIStrMask makerWordTest_;
  THICounter identifiedCounter_;
};
