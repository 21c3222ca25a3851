#include "graphics/Light.h"

#include <algorithm>

namespace {

struct LightModule {
  std::vector<Light*> lights;
  Vector4 ambient{1.0f, 1.0f, 1.0f, 0.5f};
};

LightModule& Module() {
  static LightModule module;
  return module;
}

}  // namespace

Light::Light(float intensityValue, float falloffStartValue, float falloffEndValue, Vector3 lightColor)
    : Component(ComponentType::Light),
      intensity(intensityValue),
      falloffStart(falloffStartValue),
      falloffEnd(falloffEndValue),
      color(lightColor) {
  Module().lights.push_back(this);
}

Light::~Light() {
  std::vector<Light*>& lights = Module().lights;
  auto it = std::find(lights.begin(), lights.end(), this);
  if (it != lights.end()) lights.erase(it);
}

const std::vector<Light*>& LightList() { return Module().lights; }

Vector4 GetAmbient() { return Module().ambient; }

void SetAmbient(float r, float g, float b, float intensity) { Module().ambient = Vector4(r, g, b, intensity); }
