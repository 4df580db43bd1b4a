#pragma once
// A picture fitted into a fixed box with its aspect ratio kept (see fitPicture); the margins and a
// box without picture are filled with the background colour. The box does not follow the picture.

#include <QImage>
#include <QString>

#include "app/THIControl.h"

struct ImageSettings {
  QRect place{};
  QString picture;  // a resource path; the picture is loaded when the element is created
  std::uint32_t background = 0xFF00000F;
};

// Threads: see THIControl.
class THIImage : public THIControl {
 public:
  THIImage(THISimpleForm& form, ImageSettings settings);

  const QImage& picture() const { return picture_; }

 private:
  QImage picture_;
};
