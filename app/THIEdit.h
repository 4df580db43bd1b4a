#pragma once
// Single-line edit with a sunken edge. Its text is also kept beside the widget under a mutex, so
// that any thread can read it back at once, without touching the widget (the checksum field is
// set and read on the receive thread, hundreds of thousands of times per upload).

#include <mutex>
#include <string>

#include "app/THIControl.h"

class QLineEdit;

struct EditSettings {
  QRect place{};
  std::string text;  // Windows-1251
  int fontPoints = 8;
  std::uint32_t background = 0xFF000005;
  bool readOnly = false;
};

// Threads: doText and text() from any thread; the widget follows on the UI thread.
class THIEdit : public THIControl {
 public:
  THIEdit(THISimpleForm& form, EditSettings settings);

  // Replaces the whole text with the value taken as a string.
  void doText(const TData& value);
  // The current text, as a string value.
  TData text() const;

  QLineEdit* edit() const;

 private:
  mutable std::mutex textMutex_;
  std::string text_;  // Windows-1251, the latest set or typed
};
