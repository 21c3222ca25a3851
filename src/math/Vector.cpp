#include "math/Vector.h"

#include <cmath>
#include <sstream>

float VectorBase::LengthSquared() const {
  float sum = 0.0f;
  for (uint32_t i = 0; i < count; ++i) sum += lanes[i] * lanes[i];
  return sum;
}

float VectorBase::Length() const { return std::sqrt(LengthSquared()); }

std::string VectorBase::ToString() const {
  std::ostringstream out;
  out << "[ ";
  for (uint32_t i = 0; i < count; ++i) {
    if (i > 0) out << ", ";
    out << lanes[i];
  }
  out << " ]";
  return out.str();
}

Vector2 Vector2::Normalized() const {
  float len = Length();
  if (len == 0.0f) return *this;
  return {x() / len, y() / len};
}

float Vector2::Angle() const { return DirectionAngle(x(), y()); }

float DirectionAngle(float x, float y) {
  constexpr double kDegreesPerRadian = 57.29577951308232;
  if (x == 0.0f) {
    if (y > 0.0f) return 90.0f;
    if (y < 0.0f) return 270.0f;
    return 0.0f;
  }
  if (y == 0.0f) return x >= 0.0f ? 0.0f : 180.0f;
  double angle = std::atan(static_cast<double>(y) / x) * kDegreesPerRadian;
  if (x < 0.0f) angle += 180.0;
  else if (y < 0.0f) angle += 360.0;
  return static_cast<float>(angle);
}
