// Feeds arbitrary bytes to the TGA loader's file path: the bytes are written to a file and read
// back as a texture load does. The file reader must agree with the decoder on the same bytes, and
// must never make room for more pixels than the file holds (the suite runs with a malloc limit, and
// the seed corpus holds an 18-byte file that claims 16384 x 16384).
#include "FuzzFile.h"
#include "graphics/Texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = WriteFuzzFile("fuzz_tga_file.tga", data, size);
  std::optional<platform::Image> read = ReadTga32File(path, platform::kMaxImageSide);
  std::optional<platform::Image> decoded = DecodeTga32(data, size);
  // Every picture fits the largest side, so the file reader accepts exactly what the decoder does.
  if (read.has_value() != decoded.has_value()) std::abort();
  if (read && (read->width != decoded->width || read->height != decoded->height || read->rgba != decoded->rgba)) {
    std::abort();
  }
  return 0;
}
