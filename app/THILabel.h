#pragma once
// Static text without border, painting its own background. Sized to its text (text + 1 pixel each
// way) when created and whenever the text changes, or top-aligned: the full client width, only
// the height from the text, stacked from the top with the window's other top-aligned labels.

#include <string>

#include "app/THIControl.h"

class QLabel;

enum class LabelSizing { Fixed, ToText, TopAligned };

struct LabelSettings {
  QRect place{};       // for TopAligned the window decides
  std::string text;  // Windows-1251; CR LF breaks the line
  int fontPoints = 8;
  bool bold = false;
  Qt::Alignment alignment = Qt::AlignLeft;
  LabelSizing sizing = LabelSizing::Fixed;
  std::uint32_t background = 0xFF00000F;
};

// Threads: see THIControl.
class THILabel : public THIControl {
 public:
  THILabel(THISimpleForm& form, LabelSettings settings);

  void doText(const TData& value);

  const std::string& text() const { return text_; }  // UI thread
  QLabel* label() const;

 private:
  void showText(std::string text);
  void visibilityChanged() override;

  LabelSizing sizing_;
  std::string text_;
};
