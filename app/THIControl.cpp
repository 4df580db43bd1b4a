#include "THIControl.h"

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
  update(kEnabled, UiUpdateQueue::Policy::KeepLatest, value,
         [this](const TData& v) { widget_->setEnabled(isTrue(v)); });
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
