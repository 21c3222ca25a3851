// Where an object is: position (x, y) with a depth z, rotation in degrees and the drawn size (scale).
// Every object has one in slot 0. It does nothing by itself; code reads and writes the fields.
#pragma once

#include "objects/Component.h"

class Transform final : public Component {
 public:
  Transform(float x, float y, float z, float scaleX, float scaleY)
      : Component(ComponentType::Transform), position{x, y, z}, scale{scaleX, scaleY} {}
  void Update(float) override {}
  void Draw() override {}

  float position[3];       // x, y and the depth z (smaller is nearer the camera)
  float rotation = 0.0f;   // degrees
  float scale[2];          // width, height
};
