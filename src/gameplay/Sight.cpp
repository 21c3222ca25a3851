#include "gameplay/Sight.h"

#include <algorithm>
#include <cmath>

#include "math/Vector.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"

namespace {

struct SightState {
  uint64_t raysCast = 0;
  std::vector<RayHit> hits;  // reused by every sight test, so a frame allocates nothing
};

SightState& State() {
  static SightState state;
  return state;
}

float Cross(float ax, float ay, float bx, float by) { return ax * by - ay * bx; }

// Distance along the ray to the nearest crossing with any of the box's four edges; false if none.
bool RayMeetsBox(const BoxCollision& box, float ox, float oy, float dx, float dy, float* t) {
  bool found = false;
  for (const BoxCollision::Edge& edge : box.edges) {
    const float ex = edge.end.x() - edge.start.x();
    const float ey = edge.end.y() - edge.start.y();
    const float denominator = Cross(dx, dy, ex, ey);
    // Parallel edges are never crossed; when the ray runs along one, the neighbouring edges are.
    if (denominator == 0.0f) continue;
    const float sx = edge.start.x() - ox;
    const float sy = edge.start.y() - oy;
    const float along = Cross(sx, sy, ex, ey) / denominator;
    const float onEdge = Cross(sx, sy, dx, dy) / denominator;
    if (along < 0.0f || onEdge < 0.0f || onEdge > 1.0f) continue;
    if (!found || along < *t) *t = along;
    found = true;
  }
  return found;
}

bool RayMeetsCircle(float cx, float cy, float radius, float ox, float oy, float dx, float dy, float* t) {
  const float mx = ox - cx;
  const float my = oy - cy;
  const float b = mx * dx + my * dy;
  const float c = mx * mx + my * my - radius * radius;
  const float discriminant = b * b - c;
  if (discriminant < 0.0f) return false;
  const float root = std::sqrt(discriminant);
  const float nearer = -b - root;
  const float farther = -b + root;
  if (nearer >= 0.0f) {
    *t = nearer;
    return true;
  }
  if (farther >= 0.0f) {
    *t = farther;
    return true;
  }
  return false;
}

bool Hit(GameObject* object, float ox, float oy, float dx, float dy, float* t) {
  auto* shape = object->GetComponentAs<Collision>(SlotOf(ComponentType::Collision));
  if (shape == nullptr || shape->disabled) return false;
  if (shape->shape == CollisionShape::Box) return RayMeetsBox(static_cast<BoxCollision&>(*shape), ox, oy, dx, dy, t);
  const Transform* at = object->GetTransform();
  if (at == nullptr) return false;
  const float radius = static_cast<CircleCollision&>(*shape).radius;
  return RayMeetsCircle(at->position[0], at->position[1], radius, ox, oy, dx, dy, t);
}

// Floats outside this range do not fit the integer arithmetic of the cone test.
constexpr float kLargestAngle = 1.0e6f;

}  // namespace

uint64_t& RaysCast() { return State().raysCast; }

void CastRay(float originX, float originY, float dirX, float dirY, std::vector<RayHit>& hits) {
  hits.clear();
  ++State().raysCast;
  if (dirX == 0.0f && dirY == 0.0f) return;
  for (GameObject* object : Objects()) {
    float t = 0.0f;
    if (object == nullptr || !Hit(object, originX, originY, dirX, dirY, &t)) continue;
    hits.push_back({originX + dirX * t, originY + dirY * t, t, object});
  }
  std::stable_sort(hits.begin(), hits.end(), [](const RayHit& a, const RayHit& b) { return a.distance < b.distance; });
}

int32_t ConeDifference(float rotation, float directionAngle) {
  const int32_t facing = static_cast<int32_t>(rotation + 180.0f);
  const int32_t towards = static_cast<int32_t>(directionAngle + 180.0f);
  // A true modulo: a facing far below zero (a level's rotation of -500) still lands in -180..179.
  const int32_t wrapped = ((facing - towards + 540) % 360 + 360) % 360;
  return wrapped - 180;
}

bool InCone(float rotation, float directionAngle, int32_t openingDegrees) {
  if (!(std::fabs(rotation) < kLargestAngle) || !(std::fabs(directionAngle) < kLargestAngle)) return false;
  const int32_t half = openingDegrees / 2;
  const int32_t diff = ConeDifference(rotation, directionAngle);
  return -half <= diff && diff <= half;
}

Sighting LookForPlayer(GameObject* human, GameObject* player, float playerX, float playerY, int32_t openingDegrees) {
  Sighting result;
  const Transform* at = human != nullptr ? human->GetTransform() : nullptr;
  if (at == nullptr || player == nullptr) return result;
  float dx = playerX - at->position[0];
  float dy = playerY - at->position[1];
  if (!InCone(at->rotation, DirectionAngle(dx, dy), openingDegrees)) return result;

  const float length = std::sqrt(dx * dx + dy * dy);
  if (length != 0.0f) {
    dx /= length;
    dy /= length;
  }
  std::vector<RayHit>& hits = State().hits;
  CastRay(at->position[0], at->position[1], dx, dy, hits);
  for (const RayHit& hit : hits) {
    if (hit.object->type == ObjectType::Glass) {
      result.throughGlass = true;
    } else if (hit.object == player) {
      result.seen = true;
      break;
    } else if (hit.object->type == ObjectType::Wall) {
      break;
    }
  }
  return result;
}
