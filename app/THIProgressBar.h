#pragma once
// Horizontal, continuous (not segmented) progress bar with a sunken edge.

#include "app/THIControl.h"

class QProgressBar;

struct ProgressBarSettings {
  QRect place{};
  int minimum = 0;
  int maximum = 100;
  int fontPoints = 8;
  std::uint32_t barColour = 0xFF000010;
  std::uint32_t background = 0xFF00000F;
};

// Threads: doPosition from any thread (only the latest pending position is applied).
class THIProgressBar : public THIControl {
 public:
  THIProgressBar(THISimpleForm& form, ProgressBarSettings settings);

  // Moves the bar to the value taken as an integer, held to the range.
  void doPosition(const TData& value);

  QProgressBar* progressBar() const;
};
