#pragma once
// The main window: a fixed-size top-level window whose controls are placed by pixel. It raises
// onCreate from its start handler before it is first shown, and onClose when a close is accepted,
// after which event dispatch is off for good. While disabled it takes no input and refuses every
// close request.
//
// Threads: built, started, closed and destroyed on the UI thread; doEnabled and doClose may be
// called from any thread (applied on the UI thread through updates()); events on the UI thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QIcon>

#include "app/UiThreadBridge.h"
#include "elements/Points.h"

class QWidget;
class FormWidget;

struct FormSettings {
  std::string caption;  // Windows-1251
  int left = 0;
  int top = 0;
  int clientWidth = 0;
  int clientHeight = 0;
  std::uint32_t background = 0xFF00000F;
  QIcon icon;
};

class THISimpleForm {
 public:
  explicit THISimpleForm(FormSettings settings);
  ~THISimpleForm() noexcept;
  THISimpleForm(const THISimpleForm&) = delete;
  THISimpleForm& operator=(const THISimpleForm&) = delete;

  // Enables the window unless the value is the integer 0.
  void doEnabled(const TData& value);
  // A program close request (no close check).
  void doClose(const TData& value);

  Event onCreate;
  Event onClose;
  // Read on a user close; a non-zero integer refuses it. Unlinked reads as 0.
  DataLink closeCheck;

  // Tab/Shift+Tab, the arrow keys and Page Up/Down move the focus between the controls, in the
  // order they were created. Off until switched on, once everything is built.
  void enableKeyboardNavigation();

  // Runs `handler` once the close has been accepted (the program ends its message loop there).
  void whenClosed(std::function<void()> handler) { whenClosed_ = std::move(handler); }
  bool closed() const { return closed_; }

  QWidget* widget() const;
  int clientWidth() const { return settings_.clientWidth; }
  UiUpdateQueue& updates() { return bridge_.queue(); }

  // Used by the controls: the focus order, and the labels stacked from the top.
  void addControl(QWidget* control);
  void removeControl(QWidget* control);
  void addTopAligned(QWidget* label);
  void layoutTopAligned();

 private:
  friend class FormWidget;
  void start();
  bool acceptClose();
  bool moveFocus(bool forward);

  FormSettings settings_;
  UiThreadBridge bridge_;
  std::unique_ptr<FormWidget> widget_;
  std::vector<QWidget*> controls_;     // creation order
  std::vector<QWidget*> topAligned_;   // creation order
  bool keyboardNavigation_ = false;
  bool programCloseRequested_ = false;
  bool closed_ = false;
  std::function<void()> whenClosed_;
};
