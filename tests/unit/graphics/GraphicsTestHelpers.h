// Small helpers for the graphics unit tests: TGA file bytes (and the shared log capture).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "support/LogCapture.h"
#include "support/TestSupport.h"

namespace graphics_test {

using testing_support::LogCapture;

// A TGA file: 18-byte header (width, height, depth) then `pixels` as given (BGRA, bottom-up rows).
inline std::vector<uint8_t> TgaBytes(uint16_t width, uint16_t height, uint8_t depth, const std::vector<uint8_t>& pixels,
                                     uint8_t idLength = 0) {
  // Sized once: growing an 18-byte vector by an empty range makes GCC 12 warn (-Warray-bounds).
  std::vector<uint8_t> bytes(18 + pixels.size(), 0);
  bytes[0] = idLength;
  bytes[2] = 2;  // uncompressed true colour
  bytes[12] = static_cast<uint8_t>(width & 0xFF);
  bytes[13] = static_cast<uint8_t>(width >> 8);
  bytes[14] = static_cast<uint8_t>(height & 0xFF);
  bytes[15] = static_cast<uint8_t>(height >> 8);
  bytes[16] = depth;
  bytes[17] = 8;
  std::copy(pixels.begin(), pixels.end(), bytes.begin() + 18);
  return bytes;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  testing_support::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace graphics_test
