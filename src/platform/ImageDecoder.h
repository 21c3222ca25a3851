// Image files through SDL2_image: decoding every format but the game's own 32-bit TGA, and writing
// PNG screenshots. No SDL type appears here.
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
  bool srgb = false;  // the file says its colours are sRGB-encoded
};

// Largest side a texture may have; bigger pictures are scaled down to fit, keeping the aspect.
inline constexpr int kMaxImageSide = 16384;

// Decodes frame 0 of an image file to RGBA, scaled down to fit `maxSide` on both sides. A PNG with
// an sRGB chunk is marked sRGB. Nullopt when the file is missing or cannot be decoded.
std::optional<Image> DecodeImageFile(const std::string& path, int maxSide = kMaxImageSide);

// Scales an RGBA picture down (box filter) so neither side exceeds maxSide, keeping the aspect
// ratio (each side at least 1). Pictures that already fit are returned unchanged.
Image FitImage(Image image, int maxSide);

// Writes RGBA pixels (top-down rows) to a PNG file, replacing it atomically (temp file, then
// rename). False when it cannot.
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba);

}  // namespace platform
