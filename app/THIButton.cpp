#include "THIButton.h"

#include <QPushButton>

#include "app/THISimpleForm.h"
#include "app/WindowLook.h"

THIButton::THIButton(THISimpleForm& form, ButtonSettings settings)
    : THIControl(form, new QPushButton(form.widget()), settings.place) {
  QPushButton* shown = button();
  shown->setAutoDefault(false);
  shown->setDefault(false);
  shown->setText(displayText(settings.text));
  setFontAndColour(settings.fontPoints, false, QPalette::Button, settings.background);
  QObject::connect(shown, &QPushButton::clicked, shown,
                   [this, value = std::move(settings.clickValue)] { onClick.fire(value); });
}

QPushButton* THIButton::button() const { return static_cast<QPushButton*>(widget()); }
