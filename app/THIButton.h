#pragma once
// Push button, neither default nor cancel button; onClick carries the button's fixed value.

#include <string>

#include "app/THIControl.h"

class QPushButton;

struct ButtonSettings {
  QRect place{};
  std::string text;  // Windows-1251
  int fontPoints = 8;
  std::uint32_t background = 0xFF00000F;
  TData clickValue;
};

// Threads: see THIControl.
class THIButton : public THIControl {
 public:
  THIButton(THISimpleForm& form, ButtonSettings settings);

  Event onClick;

  QPushButton* button() const;
};
