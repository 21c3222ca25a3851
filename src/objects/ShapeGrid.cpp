#include "objects/ShapeGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <typeinfo>

#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"

namespace {

// A cell holds a few walls and a guard or two of the levels we ship.
constexpr float kCellSize = 128.0f;
// Huge levels get coarser cells rather than a grid that cannot be held.
constexpr int32_t kMostCellsPerAxis = 1024;
// Shapes beyond this (or not finite) are kept out of the cells; every query returns them.
constexpr float kFarthest = 1.0e6f;
// Room for the rounding of the exact tests (and the 0.05 units an edge's foot point may overshoot).
constexpr float kSlack = 2.0f;
// The reach of a cover's shade rule: it asks every circle within this distance of its centre or corners.
constexpr float kCoverReach = 500.0f;

struct Entry {
  bool present = false;  // the object has a collision shape
  bool moves = false;
  bool far = false;
  ShapeBounds bounds;
  int32_t cx0 = 0, cy0 = 0, cx1 = -1, cy1 = -1;  // the cells it is entered in (empty when far)
  Collision* shape = nullptr;
  const Transform* transform = nullptr;
  // A circle's centre and radius when it was entered: a refresh compares these before anything else.
  float seenX = 0.0f, seenY = 0.0f, seenRadius = 0.0f;
};

struct GridState {
  bool built = false;
  bool inPass = false;
  bool builtThisPass = false;
  bool mayHaveMoved = false;
  uint64_t version = 0;
  float originX = 0.0f, originY = 0.0f, cell = kCellSize;
  int32_t columns = 1, rows = 1;
  std::vector<std::vector<uint32_t>> cells;
  std::vector<Entry> entries;
  std::vector<uint32_t> far;     // increasing
  std::vector<uint32_t> movers;  // increasing
  std::vector<uint32_t> vents;   // increasing
  std::vector<uint32_t> stamps;
  uint32_t stamp = 0;
  ShapeGridCounters counters;
};

GridState& State() {
  static GridState state;
  return state;
}

void Grow(ShapeBounds& b, float x, float y) {
  b.x0 = std::min(b.x0, x);
  b.y0 = std::min(b.y0, y);
  b.x1 = std::max(b.x1, x);
  b.y1 = std::max(b.y1, y);
}

bool Usable(const ShapeBounds& b) {
  for (float v : {b.x0, b.y0, b.x1, b.y1}) {
    if (!(std::fabs(v) <= kFarthest)) return false;
  }
  return true;
}

// The entry's bounds from the shape as it is now; false when they are not usable (the entry is far).
bool BoundsOf(const Entry& e, const GameObject* object, ShapeBounds* out) {
  ShapeBounds b;
  // NaN anywhere must end up unusable: min and max would quietly drop it.
  bool finite = true;
  if (e.shape->shape == CollisionShape::Circle) {
    const float radius = static_cast<const CircleCollision*>(e.shape)->radius;
    const float x = e.transform != nullptr ? e.transform->position[0] : 0.0f;
    const float y = e.transform != nullptr ? e.transform->position[1] : 0.0f;
    const float r = std::max(radius, 0.0f);
    finite = std::isfinite(radius) && std::isfinite(x) && std::isfinite(y);
    b = {x - r, y - r, x + r, y + r};
  } else {
    const auto* box = static_cast<const BoxCollision*>(e.shape);
    b = {box->edges[0].start.x(), box->edges[0].start.y(), box->edges[0].start.x(), box->edges[0].start.y()};
    for (const BoxCollision::Edge& edge : box->edges) {
      finite = finite && std::isfinite(edge.start.x()) && std::isfinite(edge.start.y());
      Grow(b, edge.start.x(), edge.start.y());
    }
    if (const Transform* t = e.transform) {
      // The rectangle the box's Transform gives, turned any way: what its inside test reaches.
      const float half = std::fabs(t->scale[0]) / 2.0f + std::fabs(t->scale[1]) / 2.0f;
      const float x = t->position[0], y = t->position[1];
      finite = finite && std::isfinite(half) && std::isfinite(x) && std::isfinite(y);
      Grow(b, x - half, y - half);
      Grow(b, x + half, y + half);
    }
    if (object->type == ObjectType::Cover) b = {b.x0 - kCoverReach, b.y0 - kCoverReach, b.x1 + kCoverReach, b.y1 + kCoverReach};
  }
  *out = {b.x0 - kSlack, b.y0 - kSlack, b.x1 + kSlack, b.y1 + kSlack};
  return finite && Usable(*out);
}

int32_t CellColumn(const GridState& s, float x) {
  return std::clamp(static_cast<int32_t>(std::floor((x - s.originX) / s.cell)), 0, s.columns - 1);
}
int32_t CellRow(const GridState& s, float y) {
  return std::clamp(static_cast<int32_t>(std::floor((y - s.originY) / s.cell)), 0, s.rows - 1);
}

bool InsideGrid(const GridState& s, const ShapeBounds& b) {
  return b.x0 >= s.originX && b.y0 >= s.originY && b.x1 <= s.originX + s.cell * static_cast<float>(s.columns) &&
         b.y1 <= s.originY + s.cell * static_cast<float>(s.rows);
}

void InsertSorted(std::vector<uint32_t>& list, uint32_t index) {
  list.insert(std::lower_bound(list.begin(), list.end(), index), index);
}
void EraseSorted(std::vector<uint32_t>& list, uint32_t index) {
  auto it = std::lower_bound(list.begin(), list.end(), index);
  if (it != list.end() && *it == index) list.erase(it);
}

// Enters the entry in its cells, or in the far list when its bounds leave the grid.
void Remember(Entry& e) {
  if (e.shape->shape != CollisionShape::Circle) return;
  e.seenX = e.transform != nullptr ? e.transform->position[0] : 0.0f;
  e.seenY = e.transform != nullptr ? e.transform->position[1] : 0.0f;
  e.seenRadius = static_cast<const CircleCollision*>(e.shape)->radius;
}

// A circle whose centre and radius are what they were when it was entered has the same bounds.
bool Unchanged(const Entry& e) {
  if (e.shape->shape != CollisionShape::Circle || e.far) return false;
  const float x = e.transform != nullptr ? e.transform->position[0] : 0.0f;
  const float y = e.transform != nullptr ? e.transform->position[1] : 0.0f;
  return x == e.seenX && y == e.seenY && static_cast<const CircleCollision*>(e.shape)->radius == e.seenRadius;
}

void Enter(GridState& s, uint32_t index, Entry& e, bool usable) {
  Remember(e);
  if (!usable || !InsideGrid(s, e.bounds)) {
    e.far = true;
    e.cx1 = e.cx0 - 1;
    InsertSorted(s.far, index);
    return;
  }
  e.far = false;
  e.cx0 = CellColumn(s, e.bounds.x0);
  e.cx1 = CellColumn(s, e.bounds.x1);
  e.cy0 = CellRow(s, e.bounds.y0);
  e.cy1 = CellRow(s, e.bounds.y1);
  for (int32_t y = e.cy0; y <= e.cy1; ++y) {
    for (int32_t x = e.cx0; x <= e.cx1; ++x) s.cells[static_cast<size_t>(y) * s.columns + x].push_back(index);
  }
}

void Leave(GridState& s, uint32_t index, Entry& e) {
  if (e.far) {
    EraseSorted(s.far, index);
    return;
  }
  for (int32_t y = e.cy0; y <= e.cy1; ++y) {
    for (int32_t x = e.cx0; x <= e.cx1; ++x) {
      std::vector<uint32_t>& cell = s.cells[static_cast<size_t>(y) * s.columns + x];
      cell.erase(std::find(cell.begin(), cell.end(), index));
    }
  }
}

void Build() {
  GridState& s = State();
  ++s.counters.rebuilds;
  const std::vector<GameObject*>& list = Objects();
  s.entries.assign(list.size(), Entry{});
  s.far.clear();
  s.movers.clear();
  s.vents.clear();
  std::vector<bool> usable(list.size(), false);
  ShapeBounds all{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                  -std::numeric_limits<float>::max()};
  bool any = false;
  for (size_t i = 0; i < list.size(); ++i) {
    GameObject* object = list[i];
    if (object == nullptr) continue;
    Entry& e = s.entries[i];
    e.shape = CollisionShapeOf(object);
    if (e.shape == nullptr) continue;
    e.present = true;
    e.moves = !IsStillShapeType(object->type);
    e.transform = object->GetTransform();
    usable[i] = BoundsOf(e, object, &e.bounds);
    if (e.moves) s.movers.push_back(static_cast<uint32_t>(i));
    if (object->type == ObjectType::Vent) s.vents.push_back(static_cast<uint32_t>(i));
    if (!usable[i]) continue;
    any = true;
    Grow(all, e.bounds.x0, e.bounds.y0);
    Grow(all, e.bounds.x1, e.bounds.y1);
  }
  if (!any) all = {0.0f, 0.0f, kCellSize, kCellSize};
  const float width = all.x1 - all.x0;
  const float height = all.y1 - all.y0;
  s.cell = std::max(kCellSize, std::max(width, height) / static_cast<float>(kMostCellsPerAxis));
  s.originX = all.x0;
  s.originY = all.y0;
  s.columns = std::clamp(static_cast<int32_t>(width / s.cell) + 1, 1, kMostCellsPerAxis + 1);
  s.rows = std::clamp(static_cast<int32_t>(height / s.cell) + 1, 1, kMostCellsPerAxis + 1);
  const size_t count = static_cast<size_t>(s.columns) * static_cast<size_t>(s.rows);
  if (s.cells.size() < count) s.cells.resize(count);
  for (size_t c = 0; c < count; ++c) s.cells[c].clear();
  for (size_t i = 0; i < list.size(); ++i) {
    if (s.entries[i].present) Enter(s, static_cast<uint32_t>(i), s.entries[i], usable[i]);
  }
  s.stamps.assign(list.size(), 0);
  s.stamp = 0;
  s.built = true;
  s.mayHaveMoved = false;
  s.version = ObjectListVersion();
}

// Moves the entries of moving shapes whose bounds changed.
void Refresh() {
  GridState& s = State();
  ++s.counters.refreshes;
  const std::vector<GameObject*>& list = Objects();
  for (uint32_t index : s.movers) {
    Entry& e = s.entries[index];
    if (Unchanged(e)) continue;
    ShapeBounds now;
    const bool usable = BoundsOf(e, list[index], &now);
    if (usable && !e.far && now.x0 == e.bounds.x0 && now.y0 == e.bounds.y0 && now.x1 == e.bounds.x1 &&
        now.y1 == e.bounds.y1) {
      continue;
    }
    Leave(s, index, e);
    e.bounds = now;
    Enter(s, index, e, usable);
  }
  s.mayHaveMoved = false;
}

void MakeCurrent() {
  GridState& s = State();
  const bool stale = !s.built || !s.inPass || !s.builtThisPass || s.version != ObjectListVersion() ||
                     s.entries.size() != Objects().size();
  if (stale) {
    Build();
    s.builtThisPass = s.inPass;
  } else if (s.mayHaveMoved) {
    Refresh();
  }
}

uint32_t NextStamp(GridState& s) {
  if (++s.stamp == 0) {
    std::fill(s.stamps.begin(), s.stamps.end(), 0u);
    s.stamp = 1;
  }
  return s.stamp;
}

}  // namespace

ShapeGridCounters& GetShapeGridCounters() { return State().counters; }

bool ShapeBoundsOf(const GameObject* object, ShapeBounds* bounds) {
  if (object == nullptr) return false;
  Entry e;
  e.shape = CollisionShapeOf(object);
  if (e.shape == nullptr) return false;
  e.transform = object->GetTransform();
  return BoundsOf(e, object, bounds);
}

void BeginShapeGridPass() {
  State().inPass = true;
  State().builtThisPass = false;
}

void EndShapeGridPass() { State().inPass = false; }

void NoteShapesMayHaveMoved() { State().mayHaveMoved = true; }

void NoteShapeMayHaveMoved(size_t index) {
  GridState& s = State();
  // A grid not yet entered this pass (or about to be rebuilt) reads every shape afresh anyway.
  if (!s.built || !s.inPass || !s.builtThisPass || s.version != ObjectListVersion() || index >= s.entries.size()) return;
  Entry& e = s.entries[index];
  if (!e.present || Unchanged(e)) return;
  ShapeBounds now;
  const bool usable = BoundsOf(e, Objects()[index], &now);
  if (usable && !e.far && now.x0 == e.bounds.x0 && now.y0 == e.bounds.y0 && now.x1 == e.bounds.x1 && now.y1 == e.bounds.y1) {
    return;
  }
  Leave(s, static_cast<uint32_t>(index), e);
  e.bounds = now;
  Enter(s, static_cast<uint32_t>(index), e, usable);
}

void GatherShapesNear(const ShapeBounds& query, size_t after, std::vector<uint32_t>& out) {
  MakeCurrent();
  GridState& s = State();
  out.clear();
  const size_t first = after == kFromListStart ? 0 : after + 1;
  const size_t count = s.entries.size();
  if (!Usable(query)) {
    for (size_t i = first; i < count; ++i) out.push_back(static_cast<uint32_t>(i));
    return;
  }
  const uint32_t stamp = NextStamp(s);
  const int32_t x0 = CellColumn(s, query.x0), x1 = CellColumn(s, query.x1);
  const int32_t y0 = CellRow(s, query.y0), y1 = CellRow(s, query.y1);
  for (int32_t y = y0; y <= y1; ++y) {
    for (int32_t x = x0; x <= x1; ++x) {
      for (uint32_t index : s.cells[static_cast<size_t>(y) * s.columns + x]) {
        if (index < first || s.stamps[index] == stamp) continue;
        const ShapeBounds& b = s.entries[index].bounds;
        if (b.x1 < query.x0 || query.x1 < b.x0 || b.y1 < query.y0 || query.y1 < b.y0) continue;
        s.stamps[index] = stamp;
        out.push_back(index);
      }
    }
  }
  for (uint32_t index : s.far) {
    if (index >= first) out.push_back(index);
  }
  std::sort(out.begin(), out.end());
}

void GatherVentsAfter(size_t after, std::vector<uint32_t>& out) {
  MakeCurrent();
  const std::vector<uint32_t>& vents = State().vents;
  out.assign(std::upper_bound(vents.begin(), vents.end(), static_cast<uint32_t>(after)), vents.end());
}

// ---- the ray walk -------------------------------------------------------------------------------

ShapeRayWalk::ShapeRayWalk(float originX, float originY, float dirX, float dirY) {
  MakeCurrent();
  GridState& s = State();
  stamp_ = NextStamp(s);
  // Where the half-line meets the grid's rectangle: [t_, tExit_] (slab by slab).
  const float bx0 = s.originX, by0 = s.originY;
  const float bx1 = s.originX + s.cell * static_cast<float>(s.columns);
  const float by1 = s.originY + s.cell * static_cast<float>(s.rows);
  float enter = 0.0f, exit = std::numeric_limits<float>::infinity();
  auto slab = [&](float o, float d, float lo, float hi) {
    if (d == 0.0f) return lo <= o && o <= hi;
    float a = (lo - o) / d, b = (hi - o) / d;
    if (a > b) std::swap(a, b);
    enter = std::max(enter, a);
    exit = std::min(exit, b);
    return enter <= exit;
  };
  const bool finite = std::isfinite(originX) && std::isfinite(originY) && std::isfinite(dirX) && std::isfinite(dirY) &&
                      (dirX != 0.0f || dirY != 0.0f);
  inside_ = finite && slab(originX, dirX, bx0, bx1) && slab(originY, dirY, by0, by1);
  if (!inside_) return;
  t_ = enter;
  tExit_ = exit;
  const float px = originX + dirX * enter, py = originY + dirY * enter;
  cx_ = CellColumn(s, px);
  cy_ = CellRow(s, py);
  stepX_ = dirX > 0.0f ? 1 : (dirX < 0.0f ? -1 : 0);
  stepY_ = dirY > 0.0f ? 1 : (dirY < 0.0f ? -1 : 0);
  const float inf = std::numeric_limits<float>::infinity();
  tDeltaX_ = dirX != 0.0f ? s.cell / std::fabs(dirX) : inf;
  tDeltaY_ = dirY != 0.0f ? s.cell / std::fabs(dirY) : inf;
  const float nextX = s.originX + s.cell * static_cast<float>(cx_ + (stepX_ > 0 ? 1 : 0));
  const float nextY = s.originY + s.cell * static_cast<float>(cy_ + (stepY_ > 0 ? 1 : 0));
  tMaxX_ = dirX != 0.0f ? (nextX - originX) / dirX : inf;
  tMaxY_ = dirY != 0.0f ? (nextY - originY) / dirY : inf;
}

bool ShapeRayWalk::Next(std::vector<uint32_t>& shapes, float* enter) {
  GridState& s = State();
  shapes.clear();
  *enter = t_;
  if (!started_) {
    started_ = true;
    for (uint32_t index : s.far) {
      s.stamps[index] = stamp_;
      shapes.push_back(index);
    }
    if (!inside_) return true;
  } else {
    if (!inside_) return false;
    // Step to the neighbouring cell the ray crosses into first.
    if (tMaxX_ < tMaxY_) {
      t_ = tMaxX_;
      tMaxX_ += tDeltaX_;
      cx_ += stepX_;
    } else {
      t_ = tMaxY_;
      tMaxY_ += tDeltaY_;
      cy_ += stepY_;
    }
    *enter = t_;
    if (cx_ < 0 || cy_ < 0 || cx_ >= s.columns || cy_ >= s.rows || t_ > tExit_) {
      inside_ = false;
      return false;
    }
  }
  for (uint32_t index : s.cells[static_cast<size_t>(cy_) * s.columns + cx_]) {
    if (s.stamps[index] == stamp_) continue;
    s.stamps[index] = stamp_;
    shapes.push_back(index);
  }
  return true;
}
