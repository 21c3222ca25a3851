#include "scenes/ValueText.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

bool ParseInteger(const std::string& text, long long min, long long max, long long* out) {
  const char* begin = text.c_str();
  char* end = nullptr;
  errno = 0;
  long long value = std::strtoll(begin, &end, 10);
  if (end == begin || errno == ERANGE || value < min || value > max) return false;
  *out = value;
  return true;
}

bool ParseInt32(const std::string& text, int32_t* out) {
  long long value = 0;
  if (!ParseInteger(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), &value)) {
    return false;
  }
  *out = static_cast<int32_t>(value);
  return true;
}

bool ParseUint32(const std::string& text, uint32_t* out) {
  long long value = 0;
  if (!ParseInteger(text, std::numeric_limits<int32_t>::min(), std::numeric_limits<uint32_t>::max(), &value)) {
    return false;
  }
  *out = static_cast<uint32_t>(value);
  return true;
}

bool ParseFloat(const std::string& text, float* out) {
  const char* begin = text.c_str();
  char* end = nullptr;
  // Overflow comes back as an infinity; underflow as the nearest float, which is kept.
  float value = std::strtof(begin, &end);
  if (end == begin || !std::isfinite(value)) return false;
  *out = value;
  return true;
}

bool ParseDouble(const std::string& text, double* out) {
  const char* begin = text.c_str();
  char* end = nullptr;
  double value = std::strtod(begin, &end);
  if (end == begin || !std::isfinite(value)) return false;
  *out = value;
  return true;
}

bool TrueFlag(const std::string& text) { return text == "true"; }

std::string FloatText(float value) {
  // Six significant digits where they read back to the very same float (the form the files have
  // always had); where they do not, the fewest digits up to nine, which every float reads back from.
  constexpr int kShortest = 6;
  constexpr int kEnough = 9;
  char buffer[64];
  for (int digits = kShortest;; ++digits) {
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    std::string text(buffer, result.ptr);
    if (digits == kEnough || std::strtof(text.c_str(), nullptr) == value) return text;
  }
}
