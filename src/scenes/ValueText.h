// The value forms shared by level files and attribute files: every value is text between double
// quotes, read the way the standard string-to-number conversions read it and written in the
// standard stream's default float form.
#pragma once

#include <cstdint>
#include <string>

// An integer as the standard string-to-integer conversion reads it: leading white space and a sign,
// then digits up to the first other character ("12.5" is 12). No digits, or a value outside
// [min, max], does not convert.
bool ParseInteger(const std::string& text, long long min, long long max, long long* out);
bool ParseInt32(const std::string& text, int32_t* out);
// The unsigned fields (lives, food goal) take what they are written as (up to 4294967295) as well
// as the negative numbers a signed read would wrap into them, so every value written reads back.
bool ParseUint32(const std::string& text, uint32_t* out);
// A float as the standard string-to-float conversion reads it. Overflow does not convert; neither
// do infinities and not-a-numbers, which no file means and which would poison positions and the
// path-finding grid. Values too small for a float read as the nearest float (zero or denormal).
bool ParseFloat(const std::string& text, float* out);
// The same read in double precision, for whole-number counts written as floats: every 32-bit
// integer is exact in it.
bool ParseDouble(const std::string& text, double* out);
// Exactly "true" is true; any other text is false.
bool TrueFlag(const std::string& text);
// The stream's default float form: six significant digits, the shorter of fixed and exponent;
// a float that six digits would not give back exactly gets as many more as it needs (at most
// nine), so every finite float written reads back the same.
std::string FloatText(float value);
