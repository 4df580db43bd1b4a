#pragma once
// The pictures built into the executable: the error picture "BITMAP0" and the icon "ASMA".

#include <QIcon>
#include <QString>

QString errorPicturePath();  // BITMAP0, 290 x 290, 32 bits per pixel
QIcon asmaIcon();            // ASMA, 16 x 16 and 32 x 32
