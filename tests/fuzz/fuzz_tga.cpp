// Feeds arbitrary bytes to the game's 32-bit TGA reader. It must never read past the data, never
// allocate more than the data can back, and whatever it accepts must be a consistent picture.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "graphics/Texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<platform::Image> image = DecodeTga32(data, size);
  if (!image) return 0;
  size_t expected = static_cast<size_t>(image->width) * static_cast<size_t>(image->height) * 4;
  // An accepted picture is backed by the file: 18 header bytes plus its pixels.
  if (image->width <= 0 || image->height <= 0 || image->rgba.size() != expected || size < 18 + expected) std::abort();
  // The first pixel of the picture is the first pixel of the file's last row, BGRA turned RGBA.
  const uint8_t* lastRow = data + 18 + static_cast<size_t>(image->height - 1) * static_cast<size_t>(image->width) * 4;
  if (image->rgba[0] != lastRow[2] || image->rgba[1] != lastRow[1] || image->rgba[2] != lastRow[0] ||
      image->rgba[3] != lastRow[3]) {
    std::abort();
  }
  return 0;
}
