// Light (component kind 8): a point light at its owner's Transform position (slot 0), sent to the
// texture program 10 units nearer the camera than its owner. Every light is in the program-wide
// light list from construction to destruction, in creation order; the texture program sends the
// list in that order. Also the program-wide ambient colour (red, green, blue, intensity), (1, 1, 1,
// 0.5) until a level sets its own. Lights neither draw nor update.
#pragma once

#include <vector>

#include "math/Vector.h"
#include "objects/Component.h"

class Light final : public Component {
 public:
  // Appends the light to the light list.
  Light(float intensity, float falloffStart, float falloffEnd, Vector3 color);
  // Removes the light from the list (its first occurrence; later lights move up).
  ~Light() override;

  void Update(float) override {}
  void Draw() override {}

  void SetIntensity(float value) { intensity = value; }
  float GetIntensity() const { return intensity; }
  void SetFallOffStart(float value) { falloffStart = value; }
  float GetFallOffStart() const { return falloffStart; }
  void SetFallOffEnd(float value) { falloffEnd = value; }
  float GetFallOffEnd() const { return falloffEnd; }
  void SetColor(float r, float g, float b) { color = Vector3(r, g, b); }
  const Vector3& GetColor() const { return color; }

  float intensity;
  float falloffStart;  // world units: full strength up to here
  float falloffEnd;    // faded out from here on
  Vector3 color;
};

// Every live light in creation order.
const std::vector<Light*>& LightList();

// The ambient colour: red, green, blue and intensity.
Vector4 GetAmbient();
void SetAmbient(float r, float g, float b, float intensity);
