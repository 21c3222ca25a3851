// The sprite batch's light and filter packing: the filter sets a draw carries, which quads the
// lights leave alone, and which lights cannot reach a quad.

#include <algorithm>
#include <cstring>
#include <vector>

#include "graphics/SpriteBatch.h"
#include "graphics/SpriteBatchState.h"
#include "graphics/TextureShader.h"
#include "objects/ObjectType.h"

namespace sprite_batch {

void IdentitySet(float* rows) {
  const float identity[12] = {1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0};
  std::memcpy(rows, identity, sizeof(identity));
}

// The set index of a composed filter in a batch, or -1 when its table is full.
int FindOrAddFilterSet(Batch& b, const float rows[12]) {
  for (int s = 1; s < b.filterSets; ++s) {
    if (std::memcmp(b.filters + s * 12, rows, 12 * sizeof(float)) == 0) return s;
  }
  if (b.filterSets >= kFilterSetsPerDraw) return -1;
  std::memcpy(b.filters + b.filterSets * 12, rows, 12 * sizeof(float));
  return b.filterSets++;
}

// Screen furniture is not lit (Shaders/ptexture.glsl).
bool IsLit(uint32_t kind) {
  const auto k = static_cast<ObjectType>(kind & ((1u << kFilterSetShift) - 1));
  return k != ObjectType::Text && k != ObjectType::UI && k != ObjectType::Transition;
}

namespace {

float ReadFloat(const uint8_t* at) {
  float value;
  std::memcpy(&value, at, sizeof(value));
  return value;
}

}  // namespace

// The vertex stage tints a lit kind's quad by the ambient colour times its intensity, formed in
// single precision as here; a product of exactly 1 in every channel changes no pixel.
bool AmbientTintIsOne(const std::vector<uint8_t>& lights) {
  if (lights.size() < 32) return false;
  const float intensity = ReadFloat(lights.data() + 28);
  for (int c = 0; c < 3; ++c) {
    if (ReadFloat(lights.data() + 16 + 4 * c) * intensity != 1.0f) return false;
  }
  return true;
}

}  // namespace sprite_batch

using sprite_batch::ReadFloat;

// A light adds nothing beyond its reach: past the fall-off end (or, with an end not past the start,
// past the start) its fall-off is exactly 0. The quad's pixels lie within the
// box of its corners in world space; a light is left out only when that box lies beyond its reach
// by a margin, so rounding in the pixel stage's interpolated world position can never bring a
// left-out light back within reach. True when some light of the block reaches the quad.
bool UnreachedLights(const TextureVertex corners[4], const uint8_t world[64], const std::vector<uint8_t>& block,
                     uint32_t out[4]) {
  out[0] = out[1] = out[2] = out[3] = 0;
  if (block.size() < 32) return false;
  uint32_t count = 0;
  std::memcpy(&count, block.data() + 12, sizeof(count));
  count = std::min<uint32_t>({count, static_cast<uint32_t>(kMaxLights), static_cast<uint32_t>((block.size() - 32) / 64)});
  if (count == 0) return false;
  float m[16];
  std::memcpy(m, world, sizeof(m));
  float low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
  for (int c = 0; c < 4; ++c) {
    const float* p = corners[c].position;
    for (int axis = 0; axis < 3; ++axis) {
      // Column-major: world = M (x, y, z, 1).
      const float value = m[axis] * p[0] + m[4 + axis] * p[1] + m[8 + axis] * p[2] + m[12 + axis];
      low[axis] = c == 0 ? value : std::min(low[axis], value);
      high[axis] = c == 0 ? value : std::max(high[axis], value);
    }
  }
  uint32_t reached = 0;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = block.data() + 32 + static_cast<size_t>(i) * 64;
    const float start = ReadFloat(entry + 32);
    const float end = ReadFloat(entry + 48);
    const float reach = end > start ? end : start;
    const float limit = reach * 1.001f + 1.0f;
    float distance2 = 0.0f;
    for (int axis = 0; axis < 3; ++axis) {
      const float at = ReadFloat(entry + 4 * axis);
      const float gap = at < low[axis] ? low[axis] - at : (at > high[axis] ? at - high[axis] : 0.0f);
      distance2 += gap * gap;
    }
    // Written so that anything not a plain number (an infinite reach, a NaN) keeps the light.
    if (limit >= 0.0f && distance2 > limit * limit) {
      out[i / 32] |= 1u << (i % 32);
    } else {
      ++reached;
    }
  }
  return reached > 0;
}
