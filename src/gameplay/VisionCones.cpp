#include "gameplay/VisionCones.h"

#include <algorithm>
#include <cmath>

#include "gameplay/BehaviorStates.h"
#include "gameplay/HumanBehavior.h"
#include "gameplay/Sight.h"
#include "graphics/Camera.h"
#include "graphics/ColorMesh.h"
#include "graphics/GraphicsDevice.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/HumanTuning.h"

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
// One sight line every two degrees: a 120-degree cone is 61 lines, smooth enough along a wall.
constexpr float kDegreesPerRay = 2.0f;
// The proximity ring's width in world units.
constexpr float kRingWidth = 3.0f;
constexpr int kRingSegments = 48;
// Room around a cone's reach for the ring's width and the rounding of the view's extents.
constexpr float kConeMargin = 16.0f;
// The floor marks lie on the floor's plane.
constexpr float kFloorZ = 0.0f;

constexpr float kMoodColours[4][4] = {
    {0.75f, 0.88f, 1.0f, 0.25f},  // calm: pale blue
    {1.0f, 0.85f, 0.15f, 0.32f},  // noticing: yellow
    {1.0f, 0.50f, 0.05f, 0.34f},  // searching: orange
    {1.0f, 0.12f, 0.08f, 0.38f},  // chasing: red
};

struct ConeState {
  StealthViewOptions options;
  ColorMesh mesh;
  std::vector<float> rim;
  std::vector<RayHit> hits;
};

ConeState& State() {
  static ConeState state;
  return state;
}

// How far the sight line along (dx, dy) reaches: the first wall, or the radius.
float SightReach(float x, float y, float dx, float dy, float radius) {
  std::vector<RayHit>& hits = State().hits;
  CastRayToFirstStop(x, y, dx, dy, radius, nullptr, hits);
  for (const RayHit& hit : hits) {
    if (hit.distance > radius) break;
    if (hit.object != nullptr && hit.object->type == ObjectType::Wall) return hit.distance;
  }
  return radius;
}

void RimOf(float x, float y, float rotation, int32_t openingDegrees, float radius,
                int rays, std::vector<float>& rim) {
  rim.clear();
  if (rays < 1) rays = 1;
  const float half = static_cast<float>(openingDegrees / 2);
  const float step = 2.0f * half / static_cast<float>(rays);
  for (int i = 0; i <= rays; ++i) {
    const float angle = (rotation - half + step * static_cast<float>(i)) * kDegreesToRadians;
    const float dx = std::cos(angle);
    const float dy = std::sin(angle);
    const float reach = SightReach(x, y, dx, dy, radius);
    rim.push_back(x + dx * reach);
    rim.push_back(y + dy * reach);
  }
}

void AddCone(ColorMesh& mesh, GameObject* guard, const HumanBehavior& human) {
  const Transform* at = guard->GetTransform();
  if (at == nullptr || !std::isfinite(at->position[0]) || !std::isfinite(at->position[1]) || !std::isfinite(at->rotation)) {
    return;
  }
  const HumanTuning& tuning = HumanTuningValues();
  const int32_t opening = std::clamp(tuning.detection_angle, 0, 360);
  const int rays = std::max(1, static_cast<int>(std::ceil(static_cast<float>(opening) / kDegreesPerRay)));
  const float x = at->position[0];
  const float y = at->position[1];
  const float* colour = MoodColour(MoodOf(human));
  if (opening > 0 && tuning.max_detection_radius > 0.0f) {
    RimOf(x, y, at->rotation, opening, tuning.max_detection_radius, rays, State().rim);
    mesh.AddFan(x, y, State().rim.data(), State().rim.size() / 2, kFloorZ, colour);
  }
  const float inner = tuning.min_detection_radius;
  if (inner > kRingWidth) {
    const float ring[4] = {colour[0], colour[1], colour[2], std::min(1.0f, colour[3] * 2.0f)};
    mesh.AddRing(x, y, inner - kRingWidth, inner, kRingSegments, kFloorZ, ring);
  }
}

}  // namespace

GuardMood MoodOf(const HumanBehavior& human) {
  switch (human.currentState) {
    case human_state::kFullAlert: return GuardMood::Chasing;
    case human_state::kHalfAlert: return GuardMood::Searching;
    case human_state::kGrace: return GuardMood::Noticing;
    case human_state::kIdle:
    case human_state::kPatrol: return human.aggro > 0.0f ? GuardMood::Noticing : GuardMood::Calm;
    // Walking back keeps a floor under the meter; only a meter above it is filling.
    case human_state::kGiveUp:
      return human.aggro > HumanTuningValues().return_agro ? GuardMood::Noticing : GuardMood::Calm;
    default: return GuardMood::Calm;
  }
}

const float* MoodColour(GuardMood mood) { return kMoodColours[static_cast<int>(mood)]; }

StealthViewOptions& StealthView() { return State().options; }

void ConeRim(float x, float y, float rotation, int32_t openingDegrees, float radius, int rays, std::vector<float>& rim) {
  RimOf(x, y, rotation, openingDegrees, radius, rays, rim);
}

bool ConeMayShow(float x, float y, float reach, float cameraX, float cameraY, float halfWidth, float halfHeight) {
  // Not finite anywhere: nothing to rule out, leave it to the drawing.
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(reach)) return true;
  return std::fabs(x - cameraX) <= halfWidth + reach && std::fabs(y - cameraY) <= halfHeight + reach;
}

void DrawVisionCones() {
  ConeState& state = State();
  if (!state.options.visionCones || Gpu().IsNull()) return;
  state.mesh.Clear();
  // What the camera shows of the floor; a turned camera shows more than this, so nothing is left out then.
  const Camera& camera = MainCamera();
  const bool straight = camera.rotation[0] == 0.0f && camera.rotation[1] == 0.0f && camera.rotation[2] == 0.0f;
  float halfWidth = 0.0f, halfHeight = 0.0f;
  ViewHalfExtents(kFloorZ, &halfWidth, &halfHeight);
  const HumanTuning& tuning = HumanTuningValues();
  const float reach = std::max(tuning.max_detection_radius, tuning.min_detection_radius) + kConeMargin;
  for (GameObject* object : Objects()) {
    if (object == nullptr || object->type != ObjectType::Enemy || !object->visible) continue;
    const HumanBehavior* human = HumanOf(object);
    if (human == nullptr) continue;
    const Transform* at = object->GetTransform();
    if (straight && at != nullptr &&
        !ConeMayShow(at->position[0], at->position[1], reach, camera.position[0], camera.position[1], halfWidth, halfHeight)) {
      continue;
    }
    AddCone(state.mesh, object, *human);
  }
  state.mesh.Draw();
}

void ReleaseVisionCones() { State().mesh.Release(); }
