#include "THIComboBox.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMetaObject>
#include <QSignalBlocker>

#include "app/THISimpleForm.h"
#include "app/WindowLook.h"

namespace {
// Entries added by the program carry the integer data 0.
constexpr int kEntryData = 0;
}  // namespace

THIComboBox::THIComboBox(THISimpleForm& form, ComboBoxSettings settings)
    : THIControl(form, new QComboBox(form.widget()), settings.place) {
  QComboBox* box = comboBox();
  box->setInsertPolicy(QComboBox::NoInsert);
  // The box looks for a typed text among its entries when typing ends and would report it as a
  // pick. Our own field tells us first that typing has ended, so that report is recognised.
  auto* field = new QLineEdit(box);
  QObject::connect(field, &QLineEdit::editingFinished, box, [this] { typingFinished_ = true; });
  box->setLineEdit(field);
  QObject::connect(field, &QLineEdit::editingFinished, box, [this] { typingFinished_ = false; });
  box->setCompleter(nullptr);
  box->setEditText(QString());
  setFontAndColour(settings.fontPoints, false, QPalette::Base, settings.background);

  QObject::connect(box, &QComboBox::activated, box, [this, box](int) {
    if (typingFinished_) return;
    QMetaObject::invokeMethod(box, [this] { raiseSelection(); }, Qt::QueuedConnection);
  });
}

QComboBox* THIComboBox::comboBox() const { return static_cast<QComboBox*>(widget()); }

void THIComboBox::doAdd(const TData& value) {
  update(kAddEntry, UiUpdateQueue::Policy::KeepAll, value,
         [this](const TData& v) { addEntry(v.toStr()); });
}

void THIComboBox::addEntry(std::string text) {
  QComboBox* box = comboBox();
  const QSignalBlocker quiet(box);
  const int selected = box->currentIndex();
  const QString field = box->currentText();
  box->addItem(displayText(text), kEntryData);
  entries_.push_back(std::move(text));
  if (box->currentIndex() != selected) box->setCurrentIndex(selected);
  box->setEditText(field);
}

void THIComboBox::raiseSelection() {
  const int index = comboBox()->currentIndex();
  if (index < 0 || index >= int(entries_.size())) return;
  TData value(entries_[static_cast<std::size_t>(index)]);
  value.chain(TData(comboBox()->itemData(index).toInt()));
  onSelect.fire(value);
}
