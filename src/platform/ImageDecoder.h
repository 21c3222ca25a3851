// Image files: decoding every format but the game's own 32-bit TGA (PNG through libpng, the rest
// through SDL2_image), and writing PNG screenshots. No SDL or libpng type appears here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// RGBA8 pixels, rows top to bottom.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};

// Largest side a texture may have; bigger pictures are scaled down to fit, keeping the aspect.
inline constexpr int kMaxImageSide = 16384;
// Most pixels a decoded picture may hold (64 MB of RGBA); bigger pictures are scaled down to fit,
// keeping the aspect. A PNG is shrunk while it is read, so its full size is never held in memory.
inline constexpr int64_t kMaxImagePixels = int64_t{4096} * 4096;

// Decodes frame 0 of an image file to RGBA, scaled down to fit `maxSide` (when above 0) on both
// sides and kMaxImagePixels in all. Colours come out as the file stores them, whatever gamma, sRGB
// or colour-profile chunk it carries. Nullopt when the file is missing or cannot be decoded (an
// interlaced PNG also when it is bigger than kMaxImagePixels, since it cannot be shrunk row by row).
std::optional<Image> DecodeImageFile(const std::string& path, int maxSide = kMaxImageSide);

// Scales an RGBA picture down (box filter) so neither side exceeds maxSide (when above 0) and it
// holds at most kMaxImagePixels, keeping the aspect ratio (each side at least 1). Pictures that
// already fit are returned unchanged.
Image FitImage(Image image, int maxSide);

// Writes RGBA pixels (top-down rows) to a PNG file, replacing it atomically (temp file, then
// rename). False when it cannot.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

}  // namespace platform
