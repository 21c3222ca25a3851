#include "graphics/Filter.h"

Filter::Filter(FilterType type, float saturationValue, Vector4 filterColor)
    : Component(ComponentType::Filter), filterType(type), saturation(saturationValue), color(filterColor) {}

#include <algorithm>
#include <cmath>
#include <cstring>

#include "objects/GameObject.h"

namespace {

constexpr int kMaxFiltersPerObject = 16;
// Luma weights of the grey a saturation filter mixes toward.
constexpr float kLuma[3] = {0.299f, 0.587f, 0.114f};

// out = a x b for 3 x 3 matrices (row-major).
void Multiply(const float a[9], const float b[9], float out[9]) {
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) out[r * 3 + c] = a[r * 3] * b[c] + a[r * 3 + 1] * b[3 + c] + a[r * 3 + 2] * b[6 + c];
  }
}

}  // namespace

bool ComposeFilters(const GameObject* owner, float rows[12]) {
  float m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  float alphaScale = 1.0f;
  int entries = 0;
  if (owner != nullptr) {
    for (const auto& component : owner->components) {
      if (entries >= kMaxFiltersPerObject) break;
      // Every quad asks, and most components are not filters: the kind word answers before the cast.
      if (component == nullptr || component->type != ComponentType::Filter) continue;
      const auto* filter = dynamic_cast<const Filter*>(component.get());
      if (filter == nullptr) continue;
      ++entries;
      float step[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
      if (filter->filterType == FilterType::Saturation) {
        // mix(grey, rgb, s): every channel keeps s of itself and takes (1 - s) of the grey.
        const float s = std::clamp(filter->saturation, 0.0f, 1.0f);
        for (int r = 0; r < 3; ++r) {
          for (int c = 0; c < 3; ++c) step[r * 3 + c] = (1.0f - s) * kLuma[c] + (r == c ? s : 0.0f);
        }
      } else if (filter->filterType == FilterType::Color) {
        // A red of -1 leaves the colour alone; otherwise mix(rgb, rgb x tint, strongest channel).
        if (std::fabs(filter->color[0] + 1.0f) > 0.0001f) {
          float tint[3];
          for (int c = 0; c < 3; ++c) tint[c] = std::clamp(filter->color[c], 0.0f, 1.0f);
          const float strength = std::max(tint[0], std::max(tint[1], tint[2]));
          for (int c = 0; c < 3; ++c) step[c * 3 + c] = 1.0f - strength + strength * tint[c];
        }
        alphaScale *= filter->color[3];
      } else {
        continue;
      }
      float next[9];
      Multiply(step, m, next);
      std::memcpy(m, next, sizeof(m));
    }
  }
  const float out[12] = {m[0], m[1], m[2], alphaScale, m[3], m[4], m[5], 0.0f, m[6], m[7], m[8], 0.0f};
  std::memcpy(rows, out, sizeof(out));
  return entries > 0;
}
