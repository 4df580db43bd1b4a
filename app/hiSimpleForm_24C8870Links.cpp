// The main window's scheme: every link between its elements, made once after the last element
// exists. The first table holds the links between elements in the order they are made; the second
// the fan-outs' and senders' outputs, each fan-out's outputs in the order it serves them; the third
// the data links. Nothing else in the program decides what reacts to what.

#include "hiSimpleForm_24C8870.h"

#include <utility>

namespace {

template <typename Element, typename Declarer>
WorkPoint to(Element& element, void (Declarer::*point)(const TData&)) {
  return workPoint(&element, point);
}

}  // namespace

void TClassSimpleForm_24C8870::makeLinks() {
  THISimpleForm& window = *mainWindow_;
  THIComAsync& port = *serialPort_;
  TClassMultiElementEx_25386E0& identification = *identificationUnit_;
  TClassMultiElementEx_2538BB0& upload = *uploadUnit_;
  THICommutator& router = *receiveRouter_;

  // Points of the two units by index, as their container elements number them.
  enum IdentificationPoint { doIdentify = 0, doSelectPort = 1, doReplyToIdentification = 2 };
  enum IdentificationEvent { identificationOnSend = 0, onStatus = 1, onOpenPort = 2, onFound = 4 };
  enum UploadPoint { doReplyToUpload = 0, doStartUpload = 1 };
  enum UploadEvent { onProgress = 0, uploadOnSend = 1, onUploadDone = 2, onUploadError = 3, onCrcText = 4 };
  constexpr int Identified = 0;
  constexpr int CrcState = 0;

  // Source event                                    target work point
  const std::pair<Event*, WorkPoint> links[] = {
      {&window.onCreate,                             to(port, &THIComAsync::doListPorts)},
      {&window.onClose,                              to(*closePortMerge_, &THIHub::doEvent)},
      {&port.onPortListed,                           to(*portList_, &THIComboBox::doAdd)},
      {&portList_->onSelect,                         to(*portChosenFan_, &THIHub::doEvent)},
      {&identification.event(onOpenPort),            to(port, &THIComAsync::doOpenPort)},
      {&port.onOpenResult,                           identification.work(doIdentify)},
      {&identification.event(identificationOnSend),  to(*sendMerge_, &THIHub::doEvent)},
      {&upload.event(uploadOnSend),                  to(*sendMerge_, &THIHub::doEvent)},
      {&identification.event(onStatus),              to(*statusLine_, &THIEdit::doText)},
      {&identification.event(onFound),               to(*foundFan_, &THIHub::doEvent)},
      // identification onNotFound: not connected
      {&port.onQueued,                               to(port, &THIComAsync::doReadQueued)},
      {&port.onReceived,                             to(router, &THICommutator::doRoute)},
      {&router.output(0),                            identification.work(doReplyToIdentification)},
      {&router.output(1),                            upload.work(doReplyToUpload)},
      {&writeButton_->onClick,                       to(*writePressedFan_, &THIHub::doEvent)},
      {&upload.event(onProgress),                    to(*uploadProgress_, &THIProgressBar::doPosition)},
      {&upload.event(onCrcText),                     to(*crcField_, &THIEdit::doText)},
      {&upload.event(onUploadDone),                  to(*doneSwitch_, &THISwitch::doSwitch)},
      {&upload.event(onUploadError),                 to(*errorCheck_, &THIIf_else::doCompare)},
      // upload onReplyEcho: not connected
      {&doneSwitch_->onSwitch,                       to(*successDelay_, &THISleep::doSleep)},
      {&successDelay_->onSleep,                      to(*successFan_, &THIHub::doEvent)},
      {&errorCheck_->onTrue,                         to(*errorFan_, &THIHub::doEvent)},
      {&okButton_->onClick,                          to(window, &THISimpleForm::doClose)},
  };

  // Fan-out or sender output                        target work point
  const std::pair<Event*, WorkPoint> outputs[] = {
      {&sendMerge_->output(0),                       to(port, &THIComAsync::doSend)},
      {&writePressedFan_->output(0),                 upload.work(doStartUpload)},
      {&writePressedFan_->output(1),                 to(*writeEnableMerge_, &THIHub::doEvent)},
      {&writePressedFan_->output(2),                 to(*windowEnableMerge_, &THIHub::doEvent)},
      {&foundFan_->output(0),                        to(*portListLocker_, &THIDoData::doData)},
      {&foundFan_->output(1),                        to(*writeEnableMerge_, &THIHub::doEvent)},
      {&portListLocker_->onEventData,                to(*portList_, &THIControl::doEnabled)},
      {&closePortMerge_->output(0),                  to(port, &THIComAsync::doClosePort)},
      {&writeEnableMerge_->output(0),                to(*writeButton_, &THIControl::doEnabled)},
      {&portChosenFan_->output(0),                   to(*closePortMerge_, &THIHub::doEvent)},
      {&portChosenFan_->output(1),                   to(*selectedPort_, &THIEventFromData::doData)},
      {&portChosenFan_->output(2),                   identification.work(doSelectPort)},
      {&finishFan_->output(0),                       to(*hideValue_, &THIDoData::doData)},
      {&finishFan_->output(1),                       to(*showValue_, &THIDoData::doData)},
      {&hideValue_->onEventData,                     to(*normalViewFan_, &THIHub::doEvent)},
      {&normalViewFan_->output(0),                   to(*portList_, &THIControl::doVisible)},
      {&normalViewFan_->output(1),                   to(*statusLine_, &THIControl::doVisible)},
      {&normalViewFan_->output(2),                   to(*uploadProgress_, &THIControl::doVisible)},
      {&normalViewFan_->output(3),                   to(*writeButton_, &THIControl::doVisible)},
      {&normalViewFan_->output(4),                   to(*updateVersionLabel_, &THIControl::doVisible)},
      {&showValue_->onEventData,                     to(*finishShowFan_, &THIHub::doEvent)},
      {&windowEnableMerge_->output(0),               to(window, &THISimpleForm::doEnabled)},
      {&finishShowFan_->output(0),                   to(*windowEnableMerge_, &THIHub::doEvent)},
      {&finishShowFan_->output(1),                   to(*okButton_, &THIControl::doVisible)},
      {&successFan_->output(0),                      to(*finishFan_, &THIHub::doEvent)},
      {&successFan_->output(1),                      to(*gateCloser_, &THIDoData::doData)},
      {&successFan_->output(2),                      to(*successShowValue_, &THIDoData::doData)},
      {&successShowValue_->onEventData,              to(*successText_, &THIControl::doVisible)},
      {&gateCloser_->onEventData,                    to(*errorViewGate_, &THIEventFromData::doData)},
      {&errorFan_->output(0),                        to(*finishFan_, &THIHub::doEvent)},
      {&errorFan_->output(1),                        to(*errorViewValue_, &THIDoData::doData)},
      {&errorViewValue_->onEventData,                to(*errorViewFan_, &THIHub::doEvent)},
      {&errorViewFan_->output(0),                    to(*errorHint_, &THIControl::doVisible)},
      {&errorViewFan_->output(1),                    to(*errorTitle_, &THIControl::doVisible)},
      {&errorViewFan_->output(2),                    to(*errorPicture_, &THIControl::doVisible)},
  };

  // Reader                                          data point read
  const std::pair<DataLink*, DataPoint> dataLinks[] = {
      {&port.PortName,                               dataPoint(selectedPort_, &THIEventFromData::value)},
      {&router.RouteIndex,                           identification.data(Identified)},
      {&upload.dataLink(CrcState),                   dataPoint(crcField_, &THIEdit::text)},
      {&errorCheck_->firstOperand,                   dataPoint(doneSwitch_, &THISwitch::value)},
      {&errorViewValue_->data,                       dataPoint(errorViewGate_, &THIEventFromData::value)},
  };

  for (const auto& [source, target] : links) source->link(target);
  for (const auto& [source, target] : outputs) source->link(target);
  for (const auto& [reader, point] : dataLinks) reader->link(point);
}
