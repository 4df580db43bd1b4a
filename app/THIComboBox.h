#pragma once
// Drop-down list with an editable field, entries in the order added. onSelect fires when the user
// picks an entry, from the message loop after the list has finished changing its selection, with
// the entry's text and the entry's integer data chained behind it. Typing into the field picks
// nothing.

#include <string>
#include <vector>

#include "app/THIControl.h"

class QComboBox;

struct ComboBoxSettings {
  QRect place{};
  int fontPoints = 8;
  std::uint32_t background = 0xFF000005;
};

// Threads: doAdd from any thread (never dropped), applied on the UI thread; onSelect on the UI
// thread.
class THIComboBox : public THIControl {
 public:
  THIComboBox(THISimpleForm& form, ComboBoxSettings settings);

  // Appends the value taken as a string; the field's text and the selection stay as they are.
  void doAdd(const TData& value);

  Event onSelect;

  QComboBox* comboBox() const;
  const std::vector<std::string>& entries() const { return entries_; }  // UI thread

 private:
  void addEntry(std::string text);
  void raiseSelection();

  std::vector<std::string> entries_;  // Windows-1251, as added
  bool typingFinished_ = false;
};
