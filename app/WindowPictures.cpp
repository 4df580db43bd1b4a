#include "WindowPictures.h"

QString errorPicturePath() { return QStringLiteral(":/pictures/BITMAP0.png"); }

QIcon asmaIcon() {
  QIcon icon;
  icon.addFile(QStringLiteral(":/pictures/ASMA16.png"), QSize(16, 16));
  icon.addFile(QStringLiteral(":/pictures/ASMA32.png"), QSize(32, 32));
  return icon;
}
