#include "THILabel.h"

#include <QFontMetrics>
#include <QLabel>

#include "app/THISimpleForm.h"
#include "app/WindowLook.h"

THILabel::THILabel(THISimpleForm& form, LabelSettings settings)
    : THIControl(form, new QLabel(form.widget()), settings.place), sizing_(settings.sizing) {
  QLabel* shown = label();
  shown->setTextFormat(Qt::PlainText);
  shown->setAlignment(settings.alignment | Qt::AlignTop);
  shown->setAutoFillBackground(true);
  setFontAndColour(settings.fontPoints, settings.bold, QPalette::Window, settings.background);
  if (sizing_ == LabelSizing::TopAligned) form_.addTopAligned(shown);
  showText(std::move(settings.text));
}

QLabel* THILabel::label() const { return static_cast<QLabel*>(widget()); }

void THILabel::doText(const TData& value) {
  update(kText, UiUpdateQueue::Policy::KeepLatest, value,
         [this](const TData& v) { showText(v.toStr()); });
}

void THILabel::showText(std::string text) {
  text_ = std::move(text);
  QString shown = displayText(text_);
  shown.replace("\r\n", "\n");
  label()->setText(shown);
  if (sizing_ == LabelSizing::Fixed) return;
  const QSize textSize = QFontMetrics(label()->font()).size(0, shown);
  if (sizing_ == LabelSizing::ToText) {
    label()->resize(textSize.width() + 1, textSize.height() + 1);
  } else {
    label()->resize(form_.clientWidth(), textSize.height() + 1);
    form_.layoutTopAligned();
  }
}

void THILabel::visibilityChanged() {
  if (sizing_ == LabelSizing::TopAligned) form_.layoutTopAligned();
}
