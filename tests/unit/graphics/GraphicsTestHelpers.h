// Small helpers for the graphics unit tests: a log capture and TGA file bytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/Logger.h"
#include "support/TestSupport.h"

namespace graphics_test {

// Turns the log on into a private file for the lifetime of the object; Text() reads what was logged.
class LogCapture {
 public:
  LogCapture() : path_(dir_.File("log.txt")) {
    ClearLogSinks();
    SetLogToFile(1);
    AddLogFile(path_);
  }
  ~LogCapture() {
    CloseLogFiles();
    ClearLogSinks();
    SetLogToFile(0);
  }
  // Everything logged since construction.
  std::string Text() {
    CloseLogFiles();
    saved_ += testing_support::ReadFile(path_);
    AddLogFile(path_);  // truncates: what was read is kept in saved_
    return saved_;
  }
  int Count(const std::string& line) {
    std::string text = Text();
    int n = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++n;
    return n;
  }

 private:
  testing_support::TempDir dir_;
  std::string path_;
  std::string saved_;
};

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
