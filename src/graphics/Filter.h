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

class GameObject;

// The owner's filters (the first 16, in component order) folded into one linear step, the same
// as applying them one after another: rgb' = M rgb and alpha' = alpha x alphaScale. `rows` gets
// three rows of four floats: (M row 0, alphaScale), (M row 1, 0), (M row 2, 0). False, with the
// identity written, when the owner (or a null one) carries no filters.
bool ComposeFilters(const GameObject* owner, float rows[12]);
