// Screenshots of end-to-end runs read back for checks: RGB rows, the share of pixels near a colour,
// and the mean colour of a region given in fractions of the picture (so a check holds at any size).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct Rgb {
  int r = 0, g = 0, b = 0;
};

struct ScreenPicture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;  // row 0 is the top

  // The share of pixels within `tolerance` of the colour in every channel, over the whole picture.
  double Share(Rgb color, int tolerance = 6) const;
  // The mean colour of the rectangle from (x0, y0) to (x1, y1), each a fraction of the width or
  // height from the top left; black for an empty rectangle.
  Rgb Mean(double x0, double y0, double x1, double y1) const;
};

// Reads a PNG written by --screenshot. False when it cannot be read.
bool LoadScreenPicture(const std::string& path, ScreenPicture* out);

}  // namespace testing_support
