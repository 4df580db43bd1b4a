#pragma once
// The main-window unit: the program's only creator. It builds the window, its thirteen controls,
// the wiring elements and (as their parts join) the serial port element, receiveRouter and the two
// container units, in one fixed order; makes every link after the last element exists; lets the
// units build their insides; switches keyboard navigation on; and destroys everything in exactly
// the reverse order, the window last.
//
// Threads: built, run and destroyed on the UI thread; its controls take updates from any thread.

#include <chrono>
#include <functional>
#include <string>

#include "app/ElementOwners.h"
#include "app/THIButton.h"
#include "app/THIComboBox.h"
#include "app/THIEdit.h"
#include "app/THIImage.h"
#include "app/THILabel.h"
#include "app/THIProgressBar.h"
#include "app/THISimpleForm.h"
#include "elements/THIDoData.h"
#include "elements/THIEventFromData.h"
#include "elements/THIHub.h"
#include "elements/THIIf_else.h"
#include "elements/THISleep.h"
#include "elements/THISwitch.h"
#include "identify/hiMultiElementEx_25386E0.h"
#include "serial/PortCatalog.h"
#include "serial/THIComAsync.h"
#include "serial/THICommutator.h"
#include "upload/hiMultiElementEx_2538BB0.h"

struct MainWindowOptions {
  // How long the success view waits after the device has taken the run command.
  std::chrono::microseconds successHold{15'000'000};
  // The upload unit's silence tick.
  std::chrono::milliseconds silenceInterval{1000};
  // The machine's serial ports; tests and the demo list pseudo terminals through a prepared tree.
  std::shared_ptr<PortCatalog> ports = std::make_shared<PortCatalog>();
  // Told each element's name as it is destroyed.
  ElementOwners::DestroyedHook elementDestroyed;
};

class TClassSimpleForm_24C8870 {
 public:
  explicit TClassSimpleForm_24C8870(MainWindowOptions options = {});
  ~TClassSimpleForm_24C8870() noexcept;
  TClassSimpleForm_24C8870(const TClassSimpleForm_24C8870&) = delete;
  TClassSimpleForm_24C8870& operator=(const TClassSimpleForm_24C8870&) = delete;

  // The one unit of the process, published before any of its elements exists.
  static TClassSimpleForm_24C8870* current();

  THISimpleForm& mainWindow() const { return *mainWindow_; }
  THILabel& errorTitle() const { return *errorTitle_; }
  THILabel& errorHint() const { return *errorHint_; }
  THIButton& writeButton() const { return *writeButton_; }
  THIEdit& statusLine() const { return *statusLine_; }
  THIComboBox& portList() const { return *portList_; }
  THIProgressBar& uploadProgress() const { return *uploadProgress_; }
  THILabel& updateVersionLabel() const { return *updateVersionLabel_; }
  THIEdit& crcField() const { return *crcField_; }
  THILabel& crcReceivedCaption() const { return *crcReceivedCaption_; }
  THILabel& crcCaption() const { return *crcCaption_; }
  THIButton& okButton() const { return *okButton_; }
  THILabel& successText() const { return *successText_; }
  THIImage& errorPicture() const { return *errorPicture_; }

  TClassMultiElementEx_25386E0& identificationUnit() const { return *identificationUnit_; }
  TClassMultiElementEx_2538BB0& uploadUnit() const { return *uploadUnit_; }
  THIComAsync& serialPort() const { return *serialPort_; }

  const ElementOwners& elements() const { return elements_; }

 private:
  void makeLinks();

  MainWindowOptions options_;
  ElementOwners elements_;

  THISimpleForm* mainWindow_ = nullptr;
  THILabel* errorTitle_ = nullptr;
  THILabel* errorHint_ = nullptr;
  THIButton* writeButton_ = nullptr;
  THIEdit* statusLine_ = nullptr;
  THIComboBox* portList_ = nullptr;
  THIHub* sendMerge_ = nullptr;
  TClassMultiElementEx_25386E0* identificationUnit_ = nullptr;
  TClassMultiElementEx_2538BB0* uploadUnit_ = nullptr;
  THICommutator* receiveRouter_ = nullptr;
  THIComAsync* serialPort_ = nullptr;
  THIHub* writePressedFan_ = nullptr;
  THIProgressBar* uploadProgress_ = nullptr;
  THIHub* foundFan_ = nullptr;
  THIDoData* portListLocker_ = nullptr;
  THIHub* closePortMerge_ = nullptr;
  THILabel* updateVersionLabel_ = nullptr;
  THIEdit* crcField_ = nullptr;
  THILabel* crcReceivedCaption_ = nullptr;
  THILabel* crcCaption_ = nullptr;
  THIHub* writeEnableMerge_ = nullptr;
  THIEventFromData* selectedPort_ = nullptr;
  THIHub* portChosenFan_ = nullptr;
  THIHub* finishFan_ = nullptr;
  THIDoData* hideValue_ = nullptr;
  THIDoData* showValue_ = nullptr;
  THIHub* normalViewFan_ = nullptr;
  THIHub* windowEnableMerge_ = nullptr;
  THIHub* finishShowFan_ = nullptr;
  THIButton* okButton_ = nullptr;
  THILabel* successText_ = nullptr;
  THIHub* successFan_ = nullptr;
  THIDoData* successShowValue_ = nullptr;
  THIDoData* errorViewValue_ = nullptr;
  THIHub* errorFan_ = nullptr;
  THIHub* errorViewFan_ = nullptr;
  THIImage* errorPicture_ = nullptr;
  THIEventFromData* errorViewGate_ = nullptr;
  THIDoData* gateCloser_ = nullptr;
  THISwitch* doneSwitch_ = nullptr;
  THIIf_else* errorCheck_ = nullptr;
  THISleep* successDelay_ = nullptr;
};
