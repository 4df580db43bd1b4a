#include "THIImage.h"

#include <QPainter>
#include <QWidget>

#include "app/PictureFit.h"
#include "app/THISimpleForm.h"
#include "app/WindowLook.h"

namespace {

class PictureBox : public QWidget {
 public:
  using QWidget::QWidget;
  void setPicture(QImage picture) {
    picture_ = std::move(picture);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const PictureRect fit = fitPicture(picture_.width(), picture_.height(), width(), height());
    if (fit.width <= 0 || fit.height <= 0) return;
    // Scaled by the image itself: its smooth scaling averages when shrinking a lot.
    painter.drawImage(fit.left, fit.top,
                      picture_.scaled(fit.width, fit.height, Qt::IgnoreAspectRatio,
                                      Qt::SmoothTransformation));
  }

 private:
  QImage picture_;
};

}  // namespace

THIImage::THIImage(THISimpleForm& form, ImageSettings settings)
    : THIControl(form, new PictureBox(form.widget()), settings.place),
      picture_(settings.picture) {
  setFontAndColour(8, false, QPalette::Window, settings.background);
  static_cast<PictureBox*>(widget())->setPicture(picture_);
}
