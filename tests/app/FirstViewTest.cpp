#include <gtest/gtest.h>

#include <optional>

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "app/WindowLook.h"
#include "tests/app/UnitFixture.h"

namespace {

struct ControlView {
  const char* name;
  QWidget* widget;
  std::optional<QPoint> pos;  // none: placed by the window's top stacking
  QSize size;                 // invalid: sized to its text (checked below)
  bool shown;
  bool enabled;
};

QSize textSizePlusOne(QLabel* label) {
  return QFontMetrics(label->font()).size(0, label->text()) + QSize(1, 1);
}

TEST_F(UnitFixture, FirstViewPlacesEveryControlWithItsFirstState) {
  const std::vector<ControlView> expected = {
      {"writeButton", u().writeButton().widget(), QPoint(5, 50), QSize(85, 30), true, false},
      {"statusLine", u().statusLine().widget(), QPoint(110, 10), QSize(320, 25), true, true},
      {"portList", u().portList().widget(), QPoint(10, 10), QSize(85, 24), true, true},
      {"uploadProgress", u().uploadProgress().widget(), QPoint(5, 90), QSize(600, 30), true, true},
      {"updateVersionLabel", u().updateVersionLabel().widget(), QPoint(110, 55), QSize(), true, true},
      {"crcField", u().crcField().widget(), QPoint(45, 145), QSize(85, 25), false, true},
      {"crcReceivedCaption", u().crcReceivedCaption().widget(), QPoint(140, 150), QSize(), true, true},
      {"crcCaption", u().crcCaption().widget(), QPoint(10, 150), QSize(), true, true},
      {"okButton", u().okButton().widget(), QPoint(245, 60), QSize(115, 30), false, true},
      {"successText", u().successText().widget(), QPoint(5, 0), QSize(502, 59), false, true},
      {"errorPicture", u().errorPicture().widget(), QPoint(145, 3), QSize(15, 14), false, true},
      {"errorTitle", u().errorTitle().widget(), std::nullopt, QSize(), false, true},
      {"errorHint", u().errorHint().widget(), std::nullopt, QSize(), false, true},
  };
  for (const ControlView& c : expected) {
    SCOPED_TRACE(c.name);
    if (c.pos) {
      EXPECT_EQ(c.widget->pos(), *c.pos);
    }
    if (c.size.isValid()) {
      EXPECT_EQ(c.widget->size(), c.size);
    }
    EXPECT_EQ(!c.widget->isHidden(), c.shown);
    EXPECT_EQ(c.widget->isEnabled(), c.enabled);
    EXPECT_EQ(c.widget->parentWidget(), u().mainWindow().widget());
  }
  for (THILabel* label : {&u().updateVersionLabel(), &u().crcReceivedCaption(), &u().crcCaption()})
    EXPECT_EQ(label->widget()->size(), textSizePlusOne(label->label())) << label->text();
}

TEST_F(UnitFixture, FirstViewTexts) {
  EXPECT_EQ(u().writeButton().button()->text(), QString("Записать"));
  EXPECT_EQ(u().okButton().button()->text(), QString("OK"));
  EXPECT_EQ(u().statusLine().text().toStr(), cp1251("Выберите порт с подключённым устройством."));
  EXPECT_EQ(u().statusLine().edit()->text(), QString("Выберите порт с подключённым устройством."));
  EXPECT_TRUE(u().statusLine().edit()->isReadOnly());
  EXPECT_EQ(u().crcField().text().toStr(), "FFFF");
  EXPECT_FALSE(u().crcField().edit()->isReadOnly());
  EXPECT_EQ(u().updateVersionLabel().text(), cp1251("Версия ПО для обновления:3.2 (MIRT)"));
  EXPECT_EQ(u().crcReceivedCaption().text(), cp1251("CRC принятый:"));
  EXPECT_EQ(u().crcCaption().text(), "CRC:");
  EXPECT_EQ(u().errorTitle().text(), cp1251("Ошибка при передаче данных!"));
  EXPECT_EQ(u().errorHint().text(), cp1251("Проверьте все соединения и попробуйте ещё раз."));
  // The leading spaces and the CR LF are part of the text.
  EXPECT_EQ(u().successText().text(), std::string(29, ' ') + cp1251("ПО успешно обновлено!") +
                                          "\r\n" + std::string(24, ' ') +
                                          cp1251("Сбросьте настройки по умолчанию!"));
  EXPECT_EQ(u().successText().label()->text(),
            QString(29, ' ') + "ПО успешно обновлено!\n" + QString(24, ' ') +
                "Сбросьте настройки по умолчанию!");
  EXPECT_TRUE(u().successText().label()->alignment() & Qt::AlignHCenter);
  EXPECT_TRUE(u().successText().label()->font().bold());

  QComboBox* ports = u().portList().comboBox();
  EXPECT_TRUE(ports->isEditable());
  EXPECT_EQ(ports->count(), 0);
  EXPECT_EQ(ports->currentIndex(), -1);
  EXPECT_TRUE(ports->currentText().isEmpty());

  QProgressBar* bar = u().uploadProgress().progressBar();
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 1015);
  EXPECT_EQ(bar->value(), 0);
}

TEST_F(UnitFixture, MainWindowIsBuiltHiddenWithItsFixedFrame) {
  QWidget* window = u().mainWindow().widget();
  EXPECT_TRUE(window->isHidden());
  EXPECT_EQ(window->windowTitle(), QString("Tarvenmolix bootloader"));
  EXPECT_EQ(window->pos(), QPoint(200, 200));
  EXPECT_EQ(window->size(), QSize(610, 137));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_EQ(window->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
  const QList<QSize> iconSizes = window->windowIcon().availableSizes();
  EXPECT_TRUE(iconSizes.contains(QSize(16, 16)));
  EXPECT_TRUE(iconSizes.contains(QSize(32, 32)));
}

TEST_F(UnitFixture, FontsAndSystemColours) {
  const int dpi = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY());
  EXPECT_EQ(u().writeButton().widget()->font().pixelSize(), -fontHeight(8, dpi));
  EXPECT_EQ(u().errorTitle().widget()->font().pixelSize(), -fontHeight(10, dpi));
  EXPECT_EQ(u().statusLine().widget()->font().families().value(0), QString("MS Sans Serif"));

  const QPalette app = QApplication::palette();
  EXPECT_EQ(u().statusLine().widget()->palette().color(QPalette::Base), app.color(QPalette::Midlight));
  EXPECT_EQ(u().portList().widget()->palette().color(QPalette::Base), app.color(QPalette::Base));
  EXPECT_EQ(u().crcField().widget()->palette().color(QPalette::Base), app.color(QPalette::Base));
  EXPECT_EQ(u().uploadProgress().widget()->palette().color(QPalette::Highlight), app.color(QPalette::Dark));
  EXPECT_EQ(u().updateVersionLabel().widget()->palette().color(QPalette::Window), app.color(QPalette::Button));
  EXPECT_EQ(u().updateVersionLabel().widget()->palette().color(QPalette::WindowText), QColor(Qt::black));
}

TEST_F(UnitFixture, ErrorPictureIsTheBuiltInPicture) {
  const QImage& picture = u().errorPicture().picture();
  EXPECT_EQ(picture.size(), QSize(290, 290));
  EXPECT_EQ(picture.depth(), 32);
  // Red around the cross, white at its centre.
  const QColor ring = picture.pixelColor(145, 30);
  EXPECT_GT(ring.red(), 150);
  EXPECT_LT(ring.green(), 60);
  EXPECT_EQ(picture.pixelColor(145, 145), QColor(Qt::white));
}

TEST_F(UnitFixture, TopAlignedErrorLinesStackFromTheTopAndHiddenOnesTakeNoRoom) {
  THILabel& title = u().errorTitle();
  THILabel& hint = u().errorHint();
  hint.doVisible(TData(""));  // a text counts as true
  title.doVisible(TData(1));
  const int titleHeight = textSizePlusOne(title.label()).height();
  EXPECT_EQ(title.widget()->geometry(), QRect(0, 0, 610, titleHeight));
  EXPECT_EQ(hint.widget()->geometry(),
            QRect(0, titleHeight, 610, textSizePlusOne(hint.label()).height()));
  EXPECT_TRUE(title.label()->alignment() & Qt::AlignHCenter);

  title.doVisible(TData(0));
  EXPECT_EQ(hint.widget()->pos(), QPoint(0, 0));
  title.doVisible(TData());  // the empty value counts as true
  EXPECT_EQ(hint.widget()->pos(), QPoint(0, titleHeight));
}

}  // namespace
