#include "tools/solve/PlayerGrid.h"

#include <algorithm>
#include <functional>
#include <queue>
#include <utility>

#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"

namespace solve {

namespace {

constexpr float kClearance = 27.0f;   // the player's radius (20) and a little room
constexpr float kHazardClearance = 45.0f;

}  // namespace

float DistanceToRect(Point p, const Rect& r) {
  const float dx = std::max(std::fabs(p.x - r.x) - r.w / 2, 0.0f);
  const float dy = std::max(std::fabs(p.y - r.y) - r.h / 2, 0.0f);
  return std::hypot(dx, dy);
}

Rect RectOf(const GameObject* o) {
  const Transform* t = o->GetTransform();
  float w = t->scale[0], h = t->scale[1];
  if (t->rotation == 90.0f || t->rotation == 270.0f) std::swap(w, h);
  return Rect{t->position[0], t->position[1], w, h};
}

void Grid::Build(bool barriersOpen) {
  std::vector<Rect> walls, hazards;
  for (GameObject* o : Objects()) {
    if (o == nullptr) continue;
    switch (o->type) {
      case ObjectType::Wall: case ObjectType::Glass: walls.push_back(RectOf(o)); break;
      case ObjectType::EscapeBarrier: if (!barriersOpen) walls.push_back(RectOf(o)); break;
      case ObjectType::KillZone: hazards.push_back(RectOf(o)); break;
      default: break;
    }
  }
  // A shattered pane loses its collision; only panes that still collide block.
  open.assign(static_cast<size_t>(columns * rows), 1);
  penalty.assign(open.size(), 0.0f);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const Point p = Centre(c, r);
      bool free = true;
      for (const Rect& w : walls) free = free && DistanceToRect(p, w) > kClearance;
      for (const Rect& h : hazards) free = free && DistanceToRect(p, h) > kHazardClearance;
      open[static_cast<size_t>(r * columns + c)] = free ? 1 : 0;
    }
  }
}

void Grid::Avoid(Point at, float radius, float cost) {
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      if (Distance(Centre(c, r), at) < radius) penalty[static_cast<size_t>(r * columns + c)] += cost;
    }
  }
}

bool Grid::Clear(Point a, Point b) const {
  const float length = Distance(a, b);
  const int steps = std::max(1, static_cast<int>(length / 4.0f));
  for (int i = 0; i <= steps; ++i) {
    const float t = static_cast<float>(i) / static_cast<float>(steps);
    int c = 0, r = 0;
    CellOf(Point{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}, &c, &r);
    if (!Open(c, r)) return false;
  }
  return true;
}

bool Grid::Nearest(Point p, int* c, int* r) const {
  CellOf(p, c, r);
  if (Open(*c, *r)) return true;
  for (int ring = 1; ring < 20; ++ring) {
    float best = 1e9f;
    int bc = -1, br = -1;
    for (int dr = -ring; dr <= ring; ++dr) {
      for (int dc = -ring; dc <= ring; ++dc) {
        if (std::max(std::abs(dr), std::abs(dc)) != ring || !Open(*c + dc, *r + dr)) continue;
        const float d = Distance(Centre(*c + dc, *r + dr), p);
        if (d < best) best = d, bc = *c + dc, br = *r + dr;
      }
    }
    if (bc >= 0) {
      *c = bc, *r = br;
      return true;
    }
  }
  return false;
}

std::vector<Point> Grid::Route(Point from, Point to, float* length) const {
  int sc = 0, sr = 0, gc = 0, gr = 0;
  if (!Nearest(from, &sc, &sr) || !Nearest(to, &gc, &gr)) return {};
  const size_t n = open.size();
  std::vector<float> g(n, 1e30f);
  std::vector<int> parent(n, -1);
  using Entry = std::pair<float, int>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> frontier;
  const int start = sr * columns + sc, goal = gr * columns + gc;
  g[static_cast<size_t>(start)] = 0.0f;
  frontier.push({0.0f, start});
  while (!frontier.empty()) {
    const auto [f, at] = frontier.top();
    frontier.pop();
    if (at == goal) break;
    const int c = at % columns, r = at / columns;
    const float here = g[static_cast<size_t>(at)];
    if (f - Heuristic(c, r, gc, gr) > here + 1e-3f) continue;
    for (int dr = -1; dr <= 1; ++dr) {
      for (int dc = -1; dc <= 1; ++dc) {
        if ((dr == 0 && dc == 0) || !Open(c + dc, r + dr)) continue;
        if (dr != 0 && dc != 0 && (!Open(c + dc, r) || !Open(c, r + dr))) continue;
        const int next = (r + dr) * columns + (c + dc);
        const float step = (dr != 0 && dc != 0 ? 1.41421f : 1.0f) * kCell + penalty[static_cast<size_t>(next)];
        if (here + step < g[static_cast<size_t>(next)]) {
          g[static_cast<size_t>(next)] = here + step;
          parent[static_cast<size_t>(next)] = at;
          frontier.push({here + step + Heuristic(c + dc, r + dr, gc, gr), next});
        }
      }
    }
  }
  if (parent[static_cast<size_t>(goal)] < 0 && goal != start) return {};
  std::vector<Point> route;
  for (int at = goal; at != start; at = parent[static_cast<size_t>(at)]) route.push_back(Centre(at % columns, at / columns));
  std::reverse(route.begin(), route.end());
  if (length != nullptr) *length = g[static_cast<size_t>(goal)];
  route.push_back(to);
  return route;
}

}  // namespace solve
