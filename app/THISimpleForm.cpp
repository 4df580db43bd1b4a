#include "THISimpleForm.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>
#include <QWidget>
#include <QWindow>

#include "app/StartHandlers.h"
#include "app/WindowLook.h"
#include "elements/Dispatch.h"

namespace {
enum FormOperation { kEnabled, kClose };

bool isNavigationKey(int key, bool& forward) {
  switch (key) {
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_PageDown: forward = true; return true;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_PageUp: forward = false; return true;
    default: return false;
  }
}
}  // namespace

// The Qt window behind THISimpleForm: close requests, background drags and focus keys.
class FormWidget : public QWidget {
 public:
  explicit FormWidget(THISimpleForm& form) : form_(form) {}

  bool moveFocusAmongControls(bool forward) { return QWidget::focusNextPrevChild(forward); }

 protected:
  void closeEvent(QCloseEvent* event) override {
    if (form_.acceptClose())
      event->accept();
    else
      event->ignore();
  }

  // Pressing the background moves the window, as the caption would. Controls keep their presses
  // to themselves (WA_NoMousePropagation), so only the uncovered client area starts a move.
  void mousePressEvent(QMouseEvent* event) override {
    if (QWindow* window = windowHandle()) window->startSystemMove();
    event->accept();
  }

  // Arrow and page keys that no control used move the focus.
  void keyPressEvent(QKeyEvent* event) override {
    bool forward = true;
    if (form_.keyboardNavigation_ && isNavigationKey(event->key(), forward) &&
        form_.moveFocus(forward)) {
      event->accept();
      return;
    }
    QWidget::keyPressEvent(event);
  }

  // Buttons would use the arrow keys among themselves; here they move the focus like elsewhere.
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress && form_.keyboardNavigation_ &&
        qobject_cast<QAbstractButton*>(watched)) {
      const auto* key = static_cast<QKeyEvent*>(event);
      bool forward = true;
      if (key->modifiers() == Qt::NoModifier && isNavigationKey(key->key(), forward))
        return form_.moveFocus(forward);
    }
    return QWidget::eventFilter(watched, event);
  }

  bool focusNextPrevChild(bool next) override {
    return form_.keyboardNavigation_ && QWidget::focusNextPrevChild(next);
  }

 private:
  THISimpleForm& form_;
};

THISimpleForm::THISimpleForm(FormSettings settings)
    : settings_(std::move(settings)), widget_(std::make_unique<FormWidget>(*this)) {
  QWidget& window = *widget_;
  window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                        Qt::WindowCloseButtonHint);
  window.setWindowTitle(displayText(settings_.caption));
  window.setWindowIcon(settings_.icon);
  window.move(settings_.left, settings_.top);
  window.setFixedSize(settings_.clientWidth, settings_.clientHeight);
  QPalette palette = window.palette();
  palette.setColor(QPalette::Window, colourFromValue(settings_.background));
  window.setPalette(palette);
  window.setAutoFillBackground(true);
  startHandlers::add(this, [this] { start(); });
}

THISimpleForm::~THISimpleForm() noexcept { startHandlers::remove(this); }

QWidget* THISimpleForm::widget() const { return widget_.get(); }

void THISimpleForm::start() {
  onCreate.fire(TData());
  widget_->show();
}

void THISimpleForm::doEnabled(const TData& value) {
  updates().run(this, kEnabled, UiUpdateQueue::Policy::KeepLatest, value,
                [this](const TData& v) { widget_->setEnabled(isTrue(v)); });
}

void THISimpleForm::doClose(const TData& value) {
  updates().run(this, kClose, UiUpdateQueue::Policy::KeepAll, value, [this](const TData&) {
    programCloseRequested_ = true;
    widget_->close();
    programCloseRequested_ = false;
  });
}

bool THISimpleForm::acceptClose() {
  const bool programClose = programCloseRequested_;
  if (closed_) return true;
  updates().drain();  // decide on the state that the other threads have already asked for
  if (!widget_->isEnabled()) return false;
  if (!programClose) {
    const std::optional<TData> check = closeCheck.read();
    if (check && check->toInt() != 0) return false;
  }
  onClose.fire(TData());
  dispatch::setOn(false);
  closed_ = true;
  if (whenClosed_) whenClosed_();
  return true;
}

void THISimpleForm::enableKeyboardNavigation() {
  for (std::size_t i = 1; i < controls_.size(); ++i)
    QWidget::setTabOrder(controls_[i - 1], controls_[i]);
  keyboardNavigation_ = true;
}

bool THISimpleForm::moveFocus(bool forward) { return widget_->moveFocusAmongControls(forward); }

void THISimpleForm::addControl(QWidget* control) {
  controls_.push_back(control);
  if (qobject_cast<QAbstractButton*>(control)) control->installEventFilter(widget_.get());
}

void THISimpleForm::removeControl(QWidget* control) {
  std::erase(controls_, control);
  std::erase(topAligned_, control);
}

void THISimpleForm::addTopAligned(QWidget* label) {
  topAligned_.push_back(label);
  layoutTopAligned();
}

void THISimpleForm::layoutTopAligned() {
  int top = 0;
  for (QWidget* label : topAligned_) {
    if (label->isHidden()) continue;
    label->setGeometry(0, top, settings_.clientWidth, label->height());
    top += label->height();
  }
}
