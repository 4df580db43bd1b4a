#include "WindowViews.h"

#include <QWidget>

#include "app/hiSimpleForm_24C8870.h"

namespace {

bool shown(const THIControl& control) { return !control.widget()->isHidden(); }
// Shown and enabled as far as the control itself goes (the window's own state is read
// separately); whether a hidden control is enabled is nothing the user can see.
bool enabled(const THIControl& control) {
  return shown(control) && control.widget()->isEnabledTo(control.widget()->window());
}

}  // namespace

WindowView currentView(const TClassSimpleForm_24C8870& unit) {
  return WindowView{
      .portListShown = shown(unit.portList()),
      .portListEnabled = enabled(unit.portList()),
      .statusShown = shown(unit.statusLine()),
      .writeShown = shown(unit.writeButton()),
      .writeEnabled = enabled(unit.writeButton()),
      .versionShown = shown(unit.updateVersionLabel()),
      .progressShown = shown(unit.uploadProgress()),
      .okShown = shown(unit.okButton()),
      .successShown = shown(unit.successText()),
      .errorPartsShown = int(shown(unit.errorTitle())) + int(shown(unit.errorHint())) +
                         int(shown(unit.errorPicture())),
      .windowEnabled = unit.mainWindow().widget()->isEnabled(),
  };
}

std::ostream& operator<<(std::ostream& out, const WindowView& v) {
  return out << "{portList " << v.portListShown << v.portListEnabled << ", status " << v.statusShown
             << ", write " << v.writeShown << v.writeEnabled << ", version " << v.versionShown
             << ", progress " << v.progressShown << ", ok " << v.okShown << ", success "
             << v.successShown << ", error parts " << v.errorPartsShown << ", window " << v.windowEnabled << "}";
}
