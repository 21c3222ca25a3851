// Feeds arbitrary bytes to the picture decoder's PNG reader (through a file, as a texture load
// does). Whatever it accepts must be a consistent picture within the size limits; it must never
// make room for more than the file's data backs (the suite runs with a malloc limit, and the seed
// corpus holds small files that claim pictures of up to 1,000,000 x 1,000,000).
#include <cstring>

#include "FuzzFile.h"
#include "platform/ImageDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Only files that begin as a PNG reach the PNG reader; anything else goes to SDL2_image.
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size < 8 || std::memcmp(data, kSignature, 8) != 0) return 0;
  const std::string& path = WriteFuzzFile("fuzz_png_file.png", data, size);
  std::optional<platform::Image> image = platform::DecodeImageFile(path, 2048);
  if (!image) return 0;
  const size_t expected = static_cast<size_t>(image->width) * static_cast<size_t>(image->height) * 4;
  if (image->width <= 0 || image->height <= 0 || image->width > 2048 || image->height > 2048 ||
      static_cast<int64_t>(image->width) * image->height > platform::kMaxImagePixels || image->rgba.size() != expected) {
    std::abort();
  }
  return 0;
}
