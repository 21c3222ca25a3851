#include "gameplay/Sight.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <typeinfo>

#include "math/Vector.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/ShapeGrid.h"
#include "objects/Transform.h"

namespace {

struct SightState {
  uint64_t raysCast = 0;
  uint64_t shapeTests = 0;
  std::vector<uint32_t> cellShapes;
  struct Found {
    float distance;
    uint32_t index;
    float x, y;
  };
  std::vector<Found> found;
  std::vector<RayHit> hits;  // reused by every sight test, so a frame allocates nothing
  std::vector<RayShape> shapes;  // gathered afresh by every single ray cast
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

// Coordinates beyond this are left to the exact test alone: the slack below is only proven for
// floats of moderate size.
constexpr float kLargestBoundedCoordinate = 1.0e6f;
// The bounding test's slack: far more than the rounding of the exact test at these magnitudes.
constexpr float kSlackPerUnit = 1.0e-2f;

bool Moderate(float value) { return std::fabs(value) <= kLargestBoundedCoordinate; }

// The box's bounding circle over the ends of all four edges (whatever the latest Draw built), with
// the slack its own size calls for; reach stays negative when a coordinate is not moderate.
void BoundBox(const BoxCollision& box, RayShape& shape) {
  float minX = box.edges[0].start.x();
  float maxX = minX;
  float minY = box.edges[0].start.y();
  float maxY = minY;
  for (const BoxCollision::Edge& edge : box.edges) {
    for (const Vector2* point : {&edge.start, &edge.end}) {
      if (!Moderate(point->x()) || !Moderate(point->y())) return;
      minX = std::min(minX, point->x());
      maxX = std::max(maxX, point->x());
      minY = std::min(minY, point->y());
      maxY = std::max(maxY, point->y());
    }
  }
  shape.x = 0.5f * (minX + maxX);
  shape.y = 0.5f * (minY + maxY);
  float radius = 0.0f;
  for (const BoxCollision::Edge& edge : box.edges) {
    for (const Vector2* point : {&edge.start, &edge.end}) {
      const float px = point->x() - shape.x;
      const float py = point->y() - shape.y;
      radius = std::max(radius, std::sqrt(px * px + py * py));
    }
  }
  shape.radius = radius;
  shape.reach = radius + 1.0f + kSlackPerUnit * (std::max(std::fabs(shape.x), std::fabs(shape.y)) + radius);
}

// What a ray needs to dismiss boxes by their bounding circles: none of it when the ray itself is
// not of moderate size.
struct RayBounds {
  bool usable = false;
  float length = 0.0f;  // of the direction
  float slack = 0.0f;   // the origin's share of the slack
};

RayBounds BoundsOf(float ox, float oy, float dx, float dy) {
  RayBounds bounds;
  const float length = std::sqrt(dx * dx + dy * dy);
  if (!Moderate(ox) || !Moderate(oy) || !(length >= 1.0e-3f && length <= 1.0e3f)) return bounds;
  bounds.usable = true;
  bounds.length = length;
  bounds.slack = kSlackPerUnit * std::max(std::fabs(ox), std::fabs(oy));
  return bounds;
}

// A box whose bounding circle lies farther from the ray's line than its reach: both ends of every
// edge are then well to one side of the line, and no rounding makes the exact test cross an edge.
bool PassesClear(const RayShape& shape, const RayBounds& bounds, float ox, float oy, float dx, float dy) {
  if (!bounds.usable || shape.reach < 0.0f) return false;
  const float side = Cross(shape.x - ox, shape.y - oy, dx, dy);
  return std::fabs(side) > (shape.reach + bounds.slack) * bounds.length;
}

bool Hit(const RayShape& shape, const RayBounds& bounds, float ox, float oy, float dx, float dy, float* t) {
  if (shape.box == nullptr) return RayMeetsCircle(shape.x, shape.y, shape.radius, ox, oy, dx, dy, t);
  if (PassesClear(shape, bounds, ox, oy, dx, dy)) return false;
  return RayMeetsBox(*shape.box, ox, oy, dx, dy, t);
}

// Floats outside this range do not fit the integer arithmetic of the cone test.
constexpr float kLargestAngle = 1.0e6f;

}  // namespace

uint64_t& RaysCast() { return State().raysCast; }
uint64_t& RayShapeTests() { return State().shapeTests; }

void GatherRayShapes(std::vector<RayShape>& shapes) {
  shapes.clear();
  for (GameObject* object : Objects()) {
    if (object == nullptr) continue;
    auto* collision = object->GetComponentAs<Collision>(SlotOf(ComponentType::Collision));
    if (collision == nullptr || collision->disabled) continue;
    RayShape shape;
    shape.object = object;
    if (collision->shape == CollisionShape::Box) {
      shape.box = static_cast<const BoxCollision*>(collision);
      BoundBox(*shape.box, shape);
    } else {
      const Transform* at = object->GetTransform();
      if (at == nullptr) continue;
      shape.x = at->position[0];
      shape.y = at->position[1];
      shape.radius = static_cast<CircleCollision&>(*collision).radius;
    }
    shapes.push_back(shape);
  }
}

void CastRay(const std::vector<RayShape>& shapes, float originX, float originY, float dirX, float dirY,
             std::vector<RayHit>& hits) {
  hits.clear();
  ++State().raysCast;
  if (dirX == 0.0f && dirY == 0.0f) return;
  const RayBounds bounds = BoundsOf(originX, originY, dirX, dirY);
  State().shapeTests += shapes.size();
  for (const RayShape& shape : shapes) {
    float t = 0.0f;
    if (!Hit(shape, bounds, originX, originY, dirX, dirY, &t)) continue;
    hits.push_back({originX + dirX * t, originY + dirY * t, t, shape.object});
  }
  std::stable_sort(hits.begin(), hits.end(), [](const RayHit& a, const RayHit& b) { return a.distance < b.distance; });
}

void CastRay(float originX, float originY, float dirX, float dirY, std::vector<RayHit>& hits) {
  std::vector<RayShape>& shapes = State().shapes;
  GatherRayShapes(shapes);
  CastRay(shapes, originX, originY, dirX, dirY, hits);
}

void CastRayToFirstStop(float originX, float originY, float dirX, float dirY, float reach, const GameObject* stopAt,
                        std::vector<RayHit>& hits) {
  if (GetPairWalk() == PairWalk::EveryObject) {
    CastRay(originX, originY, dirX, dirY, hits);
    return;
  }
  SightState& s = State();
  hits.clear();
  ++s.raysCast;
  if (dirX == 0.0f && dirY == 0.0f) return;
  const std::vector<GameObject*>& list = Objects();
  // A shape met first in a cell entered farther than this along the ray cannot be hit before `end`:
  // the grid's entries reach a little past their shapes, so every hit lies well inside a crossed cell.
  const float margin = 1.0f / std::sqrt(dirX * dirX + dirY * dirY);
  float end = reach;
  s.found.clear();
  ShapeRayWalk walk(originX, originY, dirX, dirY);
  float enter = 0.0f;
  while (walk.Next(s.cellShapes, &enter)) {
    if (enter > end + margin) break;
    for (uint32_t index : s.cellShapes) {
      GameObject* object = index < list.size() ? list[index] : nullptr;
      if (object == nullptr) continue;
      Component* component = object->GetComponent(SlotOf(ComponentType::Collision));
      if (component == nullptr) continue;
      ++s.shapeTests;
      float t = 0.0f;
      if (typeid(*component) == typeid(BoxCollision)) {
        const auto& box = static_cast<const BoxCollision&>(*component);
        if (box.disabled || !RayMeetsBox(box, originX, originY, dirX, dirY, &t)) continue;
      } else {
        auto* circle = dynamic_cast<const CircleCollision*>(component);
        const Transform* at = object->GetTransform();
        if (circle == nullptr || circle->disabled || at == nullptr) continue;
        if (!RayMeetsCircle(at->position[0], at->position[1], circle->radius, originX, originY, dirX, dirY, &t)) continue;
      }
      s.found.push_back({t, index, originX + dirX * t, originY + dirY * t});
      if (object == stopAt || object->type == ObjectType::Wall) end = std::min(end, t);
    }
  }
  // CastRay's order: list order, then stably by distance.
  std::sort(s.found.begin(), s.found.end(), [](const SightState::Found& a, const SightState::Found& b) { return a.index < b.index; });
  std::stable_sort(s.found.begin(), s.found.end(),
                   [](const SightState::Found& a, const SightState::Found& b) { return a.distance < b.distance; });
  for (const SightState::Found& f : s.found) hits.push_back({f.x, f.y, f.distance, list[f.index]});
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
  CastRayToFirstStop(at->position[0], at->position[1], dx, dy, std::numeric_limits<float>::infinity(), player, hits);
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
