// A uniform grid over the collision shapes of the object list, so that the pair walk and the sight
// rays only meet shapes near them. Entries are list indices. Each shape is entered over its bounds:
// a circle's square, a box's edges (as its latest Draw built them) together with the rectangle its
// Transform gives, a cover's widened by the reach of its shade rule; a shape too far out or not
// finite goes to a list every query returns.
// Fixed shapes (walls, vents, cover, glass, zones) are entered once per object pass; moving ones
// (everything else) are compared with their entries and moved before a query that follows anything
// that can move them. Any change of the list or of an object's components rebuilds the whole grid.
// Invariant: a query returns a superset of the shapes whose bounds meet it; the callers test those
// in list order with the exact tests, so the results are the ones a walk over every shape gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct ShapeBounds {
  float x0 = 0.0f;
  float y0 = 0.0f;
  float x1 = 0.0f;
  float y1 = 0.0f;
};

// The bounds the grid enters an object's shape with, as the shape is now; false when the object has
// no shape or the bounds are not finite or too far out (such a shape meets every query).
class GameObject;
bool ShapeBoundsOf(const GameObject* object, ShapeBounds* bounds);

// The object pass brackets its components' pass with these: inside it, fixed shapes count as still
// and the grid is entered once; outside it, every query rebuilds the grid first (tests and tools
// that move objects between their own calls).
void BeginShapeGridPass();
void EndShapeGridPass();
// Something that may have moved a moving shape has run: the next query compares them all first.
void NoteShapesMayHaveMoved();
// Something that moves only the object at `index` of the list has run (its kinematics): its entry
// is compared and moved now, fixed shape or not.
void NoteShapeMayHaveMoved(size_t index);

// The indices after `after` (every index for `after` = SIZE_MAX) whose entries may meet `query`, in
// increasing order, into `out`. `out` is every later index when the query is not finite or too far out.
inline constexpr size_t kFromListStart = static_cast<size_t>(-1);
void GatherShapesNear(const ShapeBounds& query, size_t after, std::vector<uint32_t>& out);
// The vents of the list after `after`, in increasing order (the player's vent rule asks every one).
void GatherVentsAfter(size_t after, std::vector<uint32_t>& out);

// The cells along a half-line, nearest first. Each step hands the indices not met before on this
// walk (the far-out list comes with the first step) and the ray parameter where the step's cell
// begins; the walk ends when the ray leaves the grid.
class ShapeRayWalk {
 public:
  ShapeRayWalk(float originX, float originY, float dirX, float dirY);
  // False when there is no further cell. `enter` is the parameter (in direction lengths) at which the
  // ray enters the cell whose shapes are handed.
  bool Next(std::vector<uint32_t>& shapes, float* enter);

 private:
  bool started_ = false;
  bool inside_ = false;
  int32_t cx_ = 0, cy_ = 0, stepX_ = 0, stepY_ = 0;
  float t_ = 0.0f, tExit_ = 0.0f, tMaxX_ = 0.0f, tMaxY_ = 0.0f, tDeltaX_ = 0.0f, tDeltaY_ = 0.0f;
  uint32_t stamp_ = 0;
};

// Counters for benchmarks: full rebuilds and moving-shape refreshes since the last reset.
struct ShapeGridCounters {
  uint64_t rebuilds = 0;
  uint64_t refreshes = 0;
};
ShapeGridCounters& GetShapeGridCounters();
