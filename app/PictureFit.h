#pragma once
// Where a picture goes in a box when it is fitted with its aspect ratio kept: across the full
// width if the box is tall enough, else across the full height, centred the other way. Each
// margin is half the free space rounded to the nearest integer, halves to the even neighbour;
// the picture is stretched into what the margins leave.

struct PictureRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PictureRect&) const = default;
};

// An empty picture or box gives an empty rectangle (nothing to draw, the box is just filled).
PictureRect fitPicture(int pictureWidth, int pictureHeight, int boxWidth, int boxHeight);
