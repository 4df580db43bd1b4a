#include "THIProgressBar.h"

#include <algorithm>

#include <QPainter>
#include <QProgressBar>
#include <qdrawutil.h>

#include "app/THISimpleForm.h"
#include "app/WindowLook.h"

namespace {

// The style's bar is drawn in blocks; this one fills continuously inside a sunken client edge.
class SmoothProgressBar : public QProgressBar {
 public:
  using QProgressBar::QProgressBar;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QPalette& colours = palette();
    const QBrush background = colours.brush(QPalette::Window);
    qDrawWinPanel(&painter, rect(), colours, true, &background);
    const QRect inside = rect().adjusted(2, 2, -2, -2);
    const int span = maximum() - minimum();
    if (span <= 0 || inside.width() <= 0) return;
    const int filled = int((long long)(value() - minimum()) * inside.width() / span);
    painter.fillRect(QRect(inside.left(), inside.top(), filled, inside.height()),
                     colours.color(QPalette::Highlight));
  }
};

}  // namespace

THIProgressBar::THIProgressBar(THISimpleForm& form, ProgressBarSettings settings)
    : THIControl(form, new SmoothProgressBar(form.widget()), settings.place) {
  QProgressBar* bar = progressBar();
  bar->setOrientation(Qt::Horizontal);
  bar->setTextVisible(false);
  bar->setRange(settings.minimum, settings.maximum);
  bar->setValue(settings.minimum);
  setFontAndColour(settings.fontPoints, false, QPalette::Window, settings.background);
  QPalette colours = bar->palette();
  colours.setColor(QPalette::Highlight, colourFromValue(settings.barColour));
  bar->setPalette(colours);
}

QProgressBar* THIProgressBar::progressBar() const { return static_cast<QProgressBar*>(widget()); }

void THIProgressBar::doPosition(const TData& value) {
  update(kPosition, UiUpdateQueue::Policy::KeepLatest, value, [this](const TData& v) {
    QProgressBar* bar = progressBar();
    bar->setValue(std::clamp(v.toInt(), bar->minimum(), bar->maximum()));
  });
}
