#include "THIEdit.h"

#include <QLineEdit>

#include "app/THISimpleForm.h"
#include "app/WindowLook.h"
#include "elements/Cp1251.h"

THIEdit::THIEdit(THISimpleForm& form, EditSettings settings)
    : THIControl(form, new QLineEdit(form.widget()), settings.place), text_(settings.text) {
  QLineEdit* shown = edit();
  shown->setFrame(true);
  shown->setReadOnly(settings.readOnly);
  shown->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setFontAndColour(settings.fontPoints, false, QPalette::Base, settings.background);
  shown->setText(displayText(text_));
  shown->setCursorPosition(0);
  QObject::connect(shown, &QLineEdit::textEdited, shown, [this](const QString& typed) {
    std::lock_guard lock(textMutex_);
    text_ = cp1251FromUtf8(typed.toStdString());
  });
}

QLineEdit* THIEdit::edit() const { return static_cast<QLineEdit*>(widget()); }

void THIEdit::doText(const TData& value) {
  std::string text = value.toStr();
  {
    std::lock_guard lock(textMutex_);
    text_ = text;
  }
  update(kText, UiUpdateQueue::Policy::KeepLatest, TData(std::move(text)), [this](const TData& v) {
    edit()->setText(displayText(v.toStr()));
    edit()->setCursorPosition(0);
  });
}

TData THIEdit::text() const {
  std::lock_guard lock(textMutex_);
  return TData(text_);
}
