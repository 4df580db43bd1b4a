#pragma once
// What the controls of the main window share: their Qt widget inside the window, set visible and
// set enabled with the truth rule (only the integer 0 is false), and the way every operation
// reaches the widget: at once on the UI thread, through the window's update queue from others.
//
// Threads: operations from any thread, applied on the UI thread; events raised on the UI thread;
// built and destroyed on the UI thread.

#include <cstdint>

#include <QPalette>
#include <QRect>

#include "app/UiUpdateQueue.h"
#include "elements/Points.h"

class QWidget;
class THISimpleForm;

class THIControl {
 public:
  THIControl(const THIControl&) = delete;
  THIControl& operator=(const THIControl&) = delete;
  virtual ~THIControl() noexcept;

  void doVisible(const TData& value);
  void doEnabled(const TData& value);

  QWidget* widget() const { return widget_; }

 protected:
  // Takes `widget`, already a child of the form's window, and places it.
  THIControl(THISimpleForm& form, QWidget* widget, QRect place);

  enum Operation { kVisible, kEnabled, kText, kAddEntry, kPosition };
  void update(Operation operation, UiUpdateQueue::Policy policy, const TData& value,
              UiUpdateQueue::Apply apply);
  void setFontAndColour(int fontPoints, bool bold, QPalette::ColorRole role, std::uint32_t colour);
  virtual void visibilityChanged() {}

  THISimpleForm& form_;

 private:
  QWidget* widget_;
};
