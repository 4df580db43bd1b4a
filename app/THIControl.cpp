#include "THIControl.h"

#include <QApplication>
#include <QWidget>

#include "app/THISimpleForm.h"
#include "app/WindowLook.h"

THIControl::THIControl(THISimpleForm& form, QWidget* widget, QRect place)
    : form_(form), widget_(widget) {
  widget_->setGeometry(place);
  widget_->setAttribute(Qt::WA_NoMousePropagation);
  form_.addControl(widget_);
}

THIControl::~THIControl() noexcept {
  form_.updates().forget(this);
  form_.removeControl(widget_);
  delete widget_;
}

void THIControl::doVisible(const TData& value) {
  update(kVisible, UiUpdateQueue::Policy::KeepLatest, value, [this](const TData& v) {
    widget_->setVisible(isTrue(v));
    visibilityChanged();
  });
}

void THIControl::doEnabled(const TData& value) {
  update(kEnabled, UiUpdateQueue::Policy::KeepLatest, value, [this](const TData& v) {
    const bool enable = isTrue(v);
    // Qt would hand the focus of a control being disabled on to the next one, as if by Tab (and a
    // line edit reached that way selects all its text); the focus is dropped instead.
    QWidget* focused = QApplication::focusWidget();
    if (!enable && focused && (focused == widget_ || widget_->isAncestorOf(focused))) focused->clearFocus();
    widget_->setEnabled(enable);
  });
}

void THIControl::update(Operation operation, UiUpdateQueue::Policy policy, const TData& value,
                        UiUpdateQueue::Apply apply) {
  form_.updates().run(this, operation, policy, value, std::move(apply));
}

void THIControl::setFontAndColour(int fontPoints, bool bold, QPalette::ColorRole role,
                                  std::uint32_t colour) {
  widget_->setFont(classicFont(fontPoints, bold));
  QPalette palette = widget_->palette();
  palette.setColor(role, colourFromValue(colour));
  // Black text; a disabled control keeps the style's greyed text.
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
    for (QPalette::ColorRole textRole : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
      palette.setColor(group, textRole, Qt::black);
  widget_->setPalette(palette);
}
