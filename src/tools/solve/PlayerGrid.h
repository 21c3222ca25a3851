// The player's grid: cells the player's centre may cross, kept clear of walls, glass, closed
// barriers and kill zones, and routes over them.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/solve/World.h"

class GameObject;

namespace solve {

constexpr float kCell = 13.0f;     // the path grid's cell
constexpr float kOrigin = -100.0f;

struct Rect {
  float x, y, w, h;
};

// How far `p` lies outside the box (0 inside it).
float DistanceToRect(Point p, const Rect& r);

// The box an object covers: its scale, width and height swapped when it is turned a quarter round.
Rect RectOf(const GameObject* o);

// Cells the player's centre may cross, over the same area as the game's path grid. Vents and cover
// are open to the player; kill zones are kept well clear.
struct Grid {
  int columns = 315, rows = 330;
  std::vector<uint8_t> open;
  std::vector<float> penalty;

  Point Centre(int c, int r) const { return Point{kOrigin + (c + 0.5f) * kCell, kOrigin + (r + 0.5f) * kCell}; }
  bool Inside(int c, int r) const { return c >= 0 && r >= 0 && c < columns && r < rows; }
  bool Open(int c, int r) const { return Inside(c, r) && open[static_cast<size_t>(r * columns + c)] != 0; }
  void CellOf(Point p, int* c, int* r) const {
    *c = static_cast<int>(std::floor((p.x - kOrigin) / kCell));
    *r = static_cast<int>(std::floor((p.y - kOrigin) / kCell));
  }

  void Build(bool barriersOpen);

  // Makes the cells within `radius` of `at` dearer by `cost`, so that routes keep away.
  void Avoid(Point at, float radius, float cost);

  // True when a straight line between two points stays on open cells.
  bool Clear(Point a, Point b) const;

  // The nearest open cell to a point (a goal may sit inside a box, e.g. the escape zone).
  bool Nearest(Point p, int* c, int* r) const;

  // A* over the cells (eight neighbours, no corner cutting); the route as points, start excluded.
  std::vector<Point> Route(Point from, Point to, float* length) const;

  static float Heuristic(int c, int r, int gc, int gr) {
    return kCell * std::hypot(static_cast<float>(c - gc), static_cast<float>(r - gr));
  }
};

}  // namespace solve
