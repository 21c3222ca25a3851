#include "core/DecimalNumber.h"

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// [-] digits [. digits] [(e|E) [+|-] digits], with at least one digit before the exponent.
bool IsPlainDecimal(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && text[i] == '-') ++i;
  size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t exponent = 0;
    while (i < text.size() && IsDigit(text[i])) ++i, ++exponent;
    if (exponent == 0) return false;
  }
  return i == text.size();
}

// strtod and strtof need a terminated string; the grammar above has already fixed what they read.
template <class T, class Converter>
bool ReadDecimal(std::string_view text, T* out, Converter convert) {
  if (!IsPlainDecimal(text)) return false;
  const std::string copy(text);
  char* end = nullptr;
  errno = 0;
  const T value = convert(copy.c_str(), &end);
  if (errno == ERANGE || end != copy.c_str() + copy.size()) return false;
  *out = value;
  return true;
}

}  // namespace

bool ParseDecimal(std::string_view text, double* out) {
  return ReadDecimal(text, out, [](const char* s, char** end) { return std::strtod(s, end); });
}

bool ParseDecimal(std::string_view text, float* out) {
  return ReadDecimal(text, out, [](const char* s, char** end) { return std::strtof(s, end); });
}
