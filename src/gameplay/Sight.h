// What a human sees: a half-line ray cast against every collision shape of the object list, the
// integer vision-cone test, and the sight test built from the two. Walls end the sight line, glass
// is seen through (and remembered as such), every other kind of object (cover, vents, food, other
// humans) neither blocks nor counts. Reads Transforms (slot 0) and collision shapes (slot 6); box
// edges are the ones built by the box's latest Draw, as in the collision pass.
#pragma once

#include <cstdint>
#include <vector>

class BoxCollision;
class GameObject;

struct RayHit {
  float x = 0.0f;  // where the ray meets the shape
  float y = 0.0f;
  float distance = 0.0f;  // from the ray's origin
  GameObject* object = nullptr;
};

// Casts a half-line from (originX, originY) along the unit vector (dirX, dirY) against the shape of
// every object in the list (disabled shapes excepted). A box is hit where the ray first crosses one
// of its edges, a circle at its nearer intersection ahead of the origin (the far one when the origin
// is inside it). `hits` is replaced by the hits sorted by distance (list order among equals). A zero
// direction hits nothing.
void CastRay(float originX, float originY, float dirX, float dirY, std::vector<RayHit>& hits);

// One shape a ray can meet, taken from the object list. Many rays cast while nothing moves (a
// cone's rim) share one gathered list and skip the per-object component lookups; a box also keeps a
// bounding circle widened by a generous rounding slack, so a ray passing well clear of it is
// dismissed before the exact edge test (which could not have hit it).
struct RayShape {
  GameObject* object = nullptr;
  const BoxCollision* box = nullptr;  // null for a circle
  float x = 0.0f;  // circle: centre and radius; box: the bounding circle's centre
  float y = 0.0f;
  float radius = 0.0f;
  float reach = -1.0f;  // box: the bounding radius plus slack; negative where it cannot be trusted
};
// Replaces `shapes` with the enabled shapes of the object list, in list order.
void GatherRayShapes(std::vector<RayShape>& shapes);
// CastRay against a gathered list: the same hits, order and floats as against the live list while
// nothing has moved or been redrawn since the gathering.
void CastRay(const std::vector<RayShape>& shapes, float originX, float originY, float dirX, float dirY,
             std::vector<RayHit>& hits);

// The hits of a cast that its users read, found by walking only the cells of the shape grid the ray
// crosses: every hit as far as the first wall, the object `stopAt` (may be null) or `reach` along the
// ray, whichever comes first, in CastRay's order (hits beyond may be missing). With the pair walk
// set to every object (objects/Collision.h), every shape is tested, as CastRay does.
void CastRayToFirstStop(float originX, float originY, float dirX, float dirY, float reach, const GameObject* stopAt,
                        std::vector<RayHit>& hits);

// The signed difference in whole degrees (-180..179) between a facing and a direction angle, as the
// humans have always measured it: both truncated to integers after adding 180.
int32_t ConeDifference(float rotation, float directionAngle);
// True when a direction lies inside a cone of `openingDegrees` centred on `rotation`: the
// difference is within half the opening (integer halving), ends included.
bool InCone(float rotation, float directionAngle, int32_t openingDegrees);

struct Sighting {
  bool seen = false;          // the ray reached the player before any wall
  bool throughGlass = false;  // a glass pane lay on the way (before the player or the wall)
};

// The sight test of `human` towards the player standing at (playerX, playerY): in the cone given by
// the human's rotation, one ray from the human's position towards the player. Outside the cone
// nothing is cast and both results are false.
Sighting LookForPlayer(GameObject* human, GameObject* player, float playerX, float playerY, int32_t openingDegrees);

// Rays cast, and ray-shape tests made, since the counters were last reset (the benchmarks read them).
uint64_t& RaysCast();
uint64_t& RayShapeTests();
