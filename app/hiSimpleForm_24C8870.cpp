#include "hiSimpleForm_24C8870.h"

#include <atomic>
#include <string>

#include "app/WindowPictures.h"
#include "elements/Cp1251.h"

namespace {

std::atomic<TClassSimpleForm_24C8870*> currentUnit{nullptr};

constexpr std::uint32_t kButtonFace = 0xFF00000F;
constexpr std::uint32_t kWindowColour = 0xFF000005;
constexpr std::uint32_t kButtonShadow = 0xFF000010;
constexpr std::uint32_t kLight3D = 0xFF000016;

std::string text(const char* utf8) { return cp1251FromUtf8(utf8); }

std::string successMessage() {
  return std::string(29, ' ') + text("ПО успешно обновлено!") + "\r\n" + std::string(24, ' ') +
         text("Сбросьте настройки по умолчанию!");
}

}  // namespace

TClassSimpleForm_24C8870* TClassSimpleForm_24C8870::current() { return currentUnit.load(); }

// The creation table: every element is created and configured here, in this order, and nowhere
// else; the controls among them take the keyboard focus in the same order.
TClassSimpleForm_24C8870::TClassSimpleForm_24C8870(MainWindowOptions options)
    : options_(std::move(options)), elements_(options_.elementDestroyed) {
  currentUnit.store(this);

  mainWindow_ = &elements_.create<THISimpleForm>("mainWindow", FormSettings{
      .caption = "Tarvenmolix bootloader", .left = 200, .top = 200,
      .clientWidth = 610, .clientHeight = 137, .background = kButtonFace, .icon = asmaIcon()});
  THISimpleForm& form = *mainWindow_;

  errorTitle_ = &elements_.create<THILabel>("errorTitle", form, LabelSettings{
      .text = text("Ошибка при передаче данных!"), .fontPoints = 10,
      .alignment = Qt::AlignHCenter, .sizing = LabelSizing::TopAligned});
  errorTitle_->doVisible(TData(0));

  errorHint_ = &elements_.create<THILabel>("errorHint", form, LabelSettings{
      .text = text("Проверьте все соединения и попробуйте ещё раз."), .fontPoints = 10,
      .alignment = Qt::AlignHCenter, .sizing = LabelSizing::TopAligned});
  errorHint_->doVisible(TData(0));

  writeButton_ = &elements_.create<THIButton>("writeButton", form, ButtonSettings{
      .place = {5, 50, 85, 30}, .text = text("Записать"), .clickValue = TData(0)});
  writeButton_->doEnabled(TData(0));

  statusLine_ = &elements_.create<THIEdit>("statusLine", form, EditSettings{
      .place = {110, 10, 320, 25}, .text = text("Выберите порт с подключённым устройством."),
      .background = kLight3D, .readOnly = true});

  portList_ = &elements_.create<THIComboBox>("portList", form, ComboBoxSettings{
      .place = {10, 10, 85, 24}, .background = kWindowColour});

  sendMerge_ = &elements_.create<THIHub>("sendMerge", 1);
  identificationUnit_ = &elements_.create<TClassMultiElementEx_25386E0>("identificationUnit");
  uploadUnit_ = &elements_.create<TClassMultiElementEx_2538BB0>("uploadUnit", options_.silenceInterval);
  receiveRouter_ = &elements_.create<THICommutator>("receiveRouter", 2);
  serialPort_ = &elements_.create<THIComAsync>("serialPort", options_.ports);
  writePressedFan_ = &elements_.create<THIHub>("writePressedFan", 3);

  uploadProgress_ = &elements_.create<THIProgressBar>("uploadProgress", form, ProgressBarSettings{
      .place = {5, 90, 600, 30}, .minimum = 0, .maximum = 1015,
      .barColour = kButtonShadow, .background = kButtonFace});

  foundFan_ = &elements_.create<THIHub>("foundFan", 2);
  portListLocker_ = &elements_.create<THIDoData>("portListLocker", TData(0));
  closePortMerge_ = &elements_.create<THIHub>("closePortMerge", 1);

  updateVersionLabel_ = &elements_.create<THILabel>("updateVersionLabel", form, LabelSettings{
      .place = {110, 55, 272, 20}, .text = text("Версия ПО для обновления:3.2 (MIRT)"),
      .sizing = LabelSizing::ToText});

  crcField_ = &elements_.create<THIEdit>("crcField", form, EditSettings{
      .place = {45, 145, 85, 25}, .text = "FFFF", .background = kWindowColour});
  crcField_->doVisible(TData(0));

  crcReceivedCaption_ = &elements_.create<THILabel>("crcReceivedCaption", form, LabelSettings{
      .place = {140, 150, 101, 20}, .text = text("CRC принятый:"), .sizing = LabelSizing::ToText});

  crcCaption_ = &elements_.create<THILabel>("crcCaption", form, LabelSettings{
      .place = {10, 150, 35, 20}, .text = "CRC:", .sizing = LabelSizing::ToText});

  writeEnableMerge_ = &elements_.create<THIHub>("writeEnableMerge", 1);
  selectedPort_ = &elements_.create<THIEventFromData>("selectedPort");
  portChosenFan_ = &elements_.create<THIHub>("portChosenFan", 3);
  finishFan_ = &elements_.create<THIHub>("finishFan", 2);
  hideValue_ = &elements_.create<THIDoData>("hideValue", TData(0));
  showValue_ = &elements_.create<THIDoData>("showValue", TData(1));
  normalViewFan_ = &elements_.create<THIHub>("normalViewFan", 5);
  windowEnableMerge_ = &elements_.create<THIHub>("windowEnableMerge", 1);
  finishShowFan_ = &elements_.create<THIHub>("finishShowFan", 2);

  okButton_ = &elements_.create<THIButton>("okButton", form, ButtonSettings{
      .place = {245, 60, 115, 30}, .text = "OK", .clickValue = TData()});
  okButton_->doVisible(TData(0));

  successText_ = &elements_.create<THILabel>("successText", form, LabelSettings{
      .place = {5, 0, 502, 59}, .text = successMessage(), .fontPoints = 10, .bold = true,
      .alignment = Qt::AlignHCenter});
  successText_->doVisible(TData(0));

  successFan_ = &elements_.create<THIHub>("successFan", 3);
  successShowValue_ = &elements_.create<THIDoData>("successShowValue", TData(1));
  errorViewValue_ = &elements_.create<THIDoData>("errorViewValue", TData(1));
  errorFan_ = &elements_.create<THIHub>("errorFan", 2);
  errorViewFan_ = &elements_.create<THIHub>("errorViewFan", 3);

  errorPicture_ = &elements_.create<THIImage>("errorPicture", form, ImageSettings{
      .place = {145, 3, 15, 14}, .picture = errorPicturePath(), .background = kButtonFace});
  errorPicture_->doVisible(TData(0));

  errorViewGate_ = &elements_.create<THIEventFromData>("errorViewGate");
  gateCloser_ = &elements_.create<THIDoData>("gateCloser", TData(0));
  doneSwitch_ = &elements_.create<THISwitch>("doneSwitch");
  errorCheck_ = &elements_.create<THIIf_else>("errorCheck", TData(0));
  successDelay_ = &elements_.create<THISleep>("successDelay", options_.successHold);

  makeLinks();
  // The two units are complete once created: their insides (the identification unit's, then the
  // upload unit's with the firmware image) were built by their constructors, in creation order.
  form.enableKeyboardNavigation();
}

TClassSimpleForm_24C8870::~TClassSimpleForm_24C8870() noexcept {
  // The receive thread and the timer thread reach elements that are released before the serial
  // port element and the upload unit; both threads end first. (The port is normally closed already,
  // from onClose.)
  serialPort_->doClosePort(TData());
  uploadUnit_->endSilenceTimer();
  elements_.destroyAll();
  TClassSimpleForm_24C8870* self = this;
  currentUnit.compare_exchange_strong(self, nullptr);
}
