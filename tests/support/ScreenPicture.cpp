#include "support/ScreenPicture.h"

#include <SDL.h>
#include <SDL_image.h>

#include <algorithm>
#include <cstdlib>

namespace testing_support {

double ScreenPicture::Share(Rgb color, int tolerance) const {
  if (width <= 0 || height <= 0) return 0.0;
  size_t hits = 0;
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) {
    if (std::abs(rgb[i] - color.r) <= tolerance && std::abs(rgb[i + 1] - color.g) <= tolerance &&
        std::abs(rgb[i + 2] - color.b) <= tolerance) {
      ++hits;
    }
  }
  return static_cast<double>(hits) / static_cast<double>(width * height);
}

Rgb ScreenPicture::Mean(double x0, double y0, double x1, double y1) const {
  const int left = std::clamp(static_cast<int>(x0 * width), 0, width);
  const int right = std::clamp(static_cast<int>(x1 * width), 0, width);
  const int top = std::clamp(static_cast<int>(y0 * height), 0, height);
  const int bottom = std::clamp(static_cast<int>(y1 * height), 0, height);
  long sum[3] = {0, 0, 0};
  long count = 0;
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
      for (int c = 0; c < 3; ++c) sum[c] += rgb[i + static_cast<size_t>(c)];
      ++count;
    }
  }
  if (count == 0) return {};
  return {static_cast<int>(sum[0] / count), static_cast<int>(sum[1] / count), static_cast<int>(sum[2] / count)};
}

bool LoadScreenPicture(const std::string& path, ScreenPicture* out) {
  SDL_Surface* loaded = IMG_Load(path.c_str());
  if (loaded == nullptr) return false;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB24, 0);
  SDL_FreeSurface(loaded);
  if (rgb == nullptr) return false;
  out->width = rgb->w;
  out->height = rgb->h;
  out->rgb.resize(static_cast<size_t>(rgb->w) * static_cast<size_t>(rgb->h) * 3);
  for (int y = 0; y < rgb->h; ++y) {
    const auto* row = static_cast<const uint8_t*>(rgb->pixels) + static_cast<ptrdiff_t>(y) * rgb->pitch;
    std::copy(row, row + rgb->w * 3, out->rgb.begin() + static_cast<std::ptrdiff_t>(y) * rgb->w * 3);
  }
  SDL_FreeSurface(rgb);
  return true;
}

}  // namespace testing_support
