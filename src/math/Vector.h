// Small float vectors used everywhere in the game. Each carries its component count (2, 3 or 4) and
// four float lanes; lanes past the count stay 0. They print as "[ x, y ]" and so on.
#pragma once

#include <cstdint>
#include <string>

class VectorBase {
 public:
  float& operator[](int i) { return lanes[i]; }
  float operator[](int i) const { return lanes[i]; }
  uint32_t Count() const { return count; }
  float Length() const;
  float LengthSquared() const;
  // Text form: "[ 1, 2 ]" for a Vector2, with as many lanes as the vector has.
  std::string ToString() const;

  float lanes[4] = {0.0f, 0.0f, 0.0f, 0.0f};

 protected:
  explicit VectorBase(uint32_t n) : count(n) {}
  uint32_t count;
};

class Vector2 : public VectorBase {
 public:
  Vector2() : VectorBase(2) {}
  Vector2(float x, float y) : VectorBase(2) { lanes[0] = x; lanes[1] = y; }
  float& x() { return lanes[0]; }
  float& y() { return lanes[1]; }
  float x() const { return lanes[0]; }
  float y() const { return lanes[1]; }
  Vector2 operator+(const Vector2& o) const { return {x() + o.x(), y() + o.y()}; }
  Vector2 operator-(const Vector2& o) const { return {x() - o.x(), y() - o.y()}; }
  Vector2 operator*(float s) const { return {x() * s, y() * s}; }
  float Dot(const Vector2& o) const { return x() * o.x() + y() * o.y(); }
  // Unit vector in the same direction; a zero vector stays zero.
  Vector2 Normalized() const;
  // Direction angle in degrees in [0, 360), counter-clockwise from +x.
  float Angle() const;
};

class Vector3 : public VectorBase {
 public:
  Vector3() : VectorBase(3) {}
  Vector3(float x, float y, float z) : VectorBase(3) { lanes[0] = x; lanes[1] = y; lanes[2] = z; }
  float& x() { return lanes[0]; }
  float& y() { return lanes[1]; }
  float& z() { return lanes[2]; }
  float x() const { return lanes[0]; }
  float y() const { return lanes[1]; }
  float z() const { return lanes[2]; }
};

class Vector4 : public VectorBase {
 public:
  Vector4() : VectorBase(4) {}
  Vector4(float x, float y, float z, float w) : VectorBase(4) {
    lanes[0] = x; lanes[1] = y; lanes[2] = z; lanes[3] = w;
  }
  float& x() { return lanes[0]; }
  float& y() { return lanes[1]; }
  float& z() { return lanes[2]; }
  float& w() { return lanes[3]; }
  float x() const { return lanes[0]; }
  float y() const { return lanes[1]; }
  float z() const { return lanes[2]; }
  float w() const { return lanes[3]; }
};

// Direction angle of (x, y) in degrees in [0, 360), counter-clockwise from +x. Facing, sight cones and
// sound directions all use this one rule.
float DirectionAngle(float x, float y);
