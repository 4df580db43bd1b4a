#include "PictureFit.h"

#include <cmath>

namespace {

int roundHalfToEven(double value) {
  const double lower = std::floor(value);
  const double fraction = value - lower;
  if (fraction > 0.5) return int(lower) + 1;
  if (fraction < 0.5) return int(lower);
  return std::fmod(lower, 2.0) == 0.0 ? int(lower) : int(lower) + 1;
}

}  // namespace

PictureRect fitPicture(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight) {
  if (pictureWidth <= 0 || pictureHeight <= 0 || boxWidth <= 0 || boxHeight <= 0) return {};
  const double ratio = double(pictureHeight) / double(pictureWidth);
  if (boxHeight >= boxWidth * ratio) {
    const int margin = roundHalfToEven((boxHeight - boxWidth * ratio) / 2.0);
    return {0, margin, boxWidth, boxHeight - 2 * margin};
  }
  const int margin = roundHalfToEven((boxWidth - boxHeight / ratio) / 2.0);
  return {margin, 0, boxWidth - 2 * margin, boxHeight};
}
