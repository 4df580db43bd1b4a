#include "WindowLook.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStringList>
#include <QStyle>
#include <QStyleFactory>

#include "elements/Cp1251.h"

int fontHeight(int points, int dotsPerInch) { return (points * dotsPerInch + 36) / -72; }

QFont classicFont(int points, bool bold) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
  QFont font;
  font.setFamilies({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "DejaVu Sans"});
  font.setPixelSize(-fontHeight(points, dpi));
  font.setBold(bold);
  return font;
}

QColor colourFromValue(std::uint32_t value) {
  if ((value >> 24) != 0xFF)
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
  const QPalette palette = QApplication::palette();
  switch (value & 0xFF) {
    case 5: return palette.color(QPalette::Base);        // window background
    case 15: return palette.color(QPalette::Button);     // button face
    case 16: return palette.color(QPalette::Dark);       // button shadow
    case 22: return palette.color(QPalette::Midlight);   // 3-D light
    default: return palette.color(QPalette::Window);
  }
}

QString displayText(const std::string& cp1251) {
  return QString::fromStdString(utf8FromCp1251(cp1251));
}

void useClassicLook() {
  if (QStyle* style = QStyleFactory::create("Windows")) QApplication::setStyle(style);
}
