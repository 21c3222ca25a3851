// Filter (component kind 9): tints or desaturates the textured quads of the object that carries it.
// An object may carry several (the first in slot 9, more appended); the texture program sends the
// first 16 in component order with each draw of that object, including its particles. Filters
// neither draw nor update.
#pragma once

#include <cstdint>

#include "math/Vector.h"
#include "objects/Component.h"

enum class FilterType : uint32_t {
  None = 0,        // an empty entry in the filter block
  Saturation = 1,  // mixes toward grey: saturation 1 keeps the colour, 0 is grey
  Color = 2,       // multiplies by the colour (red -1: colour unchanged); alpha multiplies alpha
};

class Filter final : public Component {
 public:
  Filter(FilterType type, float saturation, Vector4 color);

  void Update(float) override {}
  void Draw() override {}

  void SetType(FilterType value) { filterType = value; }
  FilterType GetType() const { return filterType; }
  void SetSaturation(float value) { saturation = value; }
  float GetSaturation() const { return saturation; }
  void SetColor(float r, float g, float b, float a) { color = Vector4(r, g, b, a); }
  const Vector4& GetColor() const { return color; }

  FilterType filterType;
  float saturation;  // 0..1
  Vector4 color;     // red, green, blue, alpha
};
