#pragma once
// The classic look the window was drawn for: fonts from point sizes at the screen's resolution,
// colour values naming system colours, and the "Windows" style.

#include <cstdint>
#include <string>

#include <QColor>
#include <QFont>
#include <QString>

// Font height from a point size: (points x dots per inch + 36) / -72, truncating toward zero.
// Negative: the character height in pixels, without the internal leading.
int fontHeight(int points, int dotsPerInch);

// "MS Sans Serif" at `points`, with the fallbacks that Linux machines have.
QFont classicFont(int points, bool bold = false);

// A colour value: top byte 0xFF names a system colour by its low byte (5 window, 15 button face,
// 16 button shadow, 22 3-D light), mapped to the palette role that plays that part in Qt; any
// other value is 0x00BBGGRR.
QColor colourFromValue(std::uint32_t value);

// Windows-1251 text as it is shown.
QString displayText(const std::string& cp1251);

// Qt's built-in "Windows" style for the whole application.
void useClassicLook();
