#include "tools/solve/TimedPlanner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <queue>
#include <unordered_set>
#include <utility>
#include <vector>

#include "gameplay/BehaviorStates.h"
#include "gameplay/Sight.h"
#include "math/Vector.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "tools/solve/Legs.h"
#include "tools/solve/PlayerGrid.h"
#include "tools/solve/SearchState.h"

namespace solve {

namespace {

// While nobody has noticed the player, the guards walk the same whatever the player does. A forked
// copy of the game with the player put far outside the walls plays on for a while and reports
// where each guard stands and which way it faces on every frame; a leg is then planned over the
// grid in space and time so that the player is never where a guard could see it.
struct Pose {
  float x = 0.0f, y = 0.0f, rotation = 0.0f;
};

struct Forecast {
  int guards = 0;
  int frames = 0;            // frames forecast (all guards still on their rounds)
  std::vector<Pose> poses;  // frame * guards + guard; frame 0 is the next frame played
  const Pose& At(int frame, int guard) const { return poses[static_cast<size_t>(frame * guards + guard)]; }
};

bool OnRounds(const GameObject* guard) {
  const int32_t s = StateOf(guard);
  return s == human_state::kIdle || s == human_state::kPatrol;
}

Forecast Foresee(int frames) {
  Forecast out;
  out.guards = static_cast<int>(ObjectsOf(ObjectType::Enemy).size());
  int pipefd[2];
  if (out.guards == 0 || pipe(pipefd) != 0) return out;
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    close(pipefd[0]);
    if (Transform* t = Player()->GetTransform()) t->position[0] = -400.0f, t->position[1] = -400.0f;
    std::vector<Pose> frame;
    for (int f = 0; f < frames; ++f) {
      if (!Step(InputFrame{}) || !InLevel()) break;
      frame.clear();
      bool calm = true;
      for (GameObject* g : ObjectsOf(ObjectType::Enemy)) {
        const Transform* t = g->GetTransform();
        frame.push_back(Pose{t->position[0], t->position[1], t->rotation});
        calm = calm && OnRounds(g);
      }
      if (!calm) break;
      const ssize_t bytes = static_cast<ssize_t>(frame.size() * sizeof(Pose));
      if (write(pipefd[1], frame.data(), static_cast<size_t>(bytes)) != bytes) break;
    }
    close(pipefd[1]);
    _exit(0);
  }
  close(pipefd[1]);
  std::vector<Pose> frame(static_cast<size_t>(out.guards));
  const size_t bytes = frame.size() * sizeof(Pose);
  for (;;) {
    size_t got = 0;
    while (got < bytes) {
      const ssize_t r = read(pipefd[0], reinterpret_cast<char*>(frame.data()) + got, bytes - got);
      if (r <= 0) break;
      got += static_cast<size_t>(r);
    }
    if (got < bytes) break;
    out.poses.insert(out.poses.end(), frame.begin(), frame.end());
    ++out.frames;
  }
  close(pipefd[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return out;
}

// How wide a berth the plan gives the guards' sight: extra reach, extra cone and frames either side.
struct Margin {
  float reach;
  int degrees;
  int frames;
};

bool SegmentMeetsRect(Point a, Point b, const Rect& r) {
  // Slab test of the segment against the box.
  float t0 = 0.0f, t1 = 1.0f;
  const float d[2] = {b.x - a.x, b.y - a.y};
  const float o[2] = {a.x, a.y};
  const float lo[2] = {r.x - r.w / 2, r.y - r.h / 2};
  const float hi[2] = {r.x + r.w / 2, r.y + r.h / 2};
  for (int i = 0; i < 2; ++i) {
    if (std::fabs(d[i]) < 1e-6f) {
      if (o[i] < lo[i] || o[i] > hi[i]) return false;
      continue;
    }
    float ta = (lo[i] - o[i]) / d[i], tb = (hi[i] - o[i]) / d[i];
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta), t1 = std::min(t1, tb);
    if (t0 > t1) return false;
  }
  return true;
}

struct Watchers {
  const Forecast* forecast = nullptr;
  std::vector<Rect> walls;    // what blocks sight
  std::vector<Rect> hideouts;  // where no guard sees the player (cover; vents unless carrying)
  Margin margin{};

  bool Hidden(Point p) const {
    for (const Rect& h : hideouts) {
      if (std::fabs(p.x - h.x) < h.w / 2 - 4.0f && std::fabs(p.y - h.y) < h.h / 2 - 4.0f) return true;
    }
    return false;
  }

  bool SeenBy(const Pose& g, Point p) const {
    const float dx = p.x - g.x, dy = p.y - g.y;
    const float d2 = dx * dx + dy * dy;
    const float near = 70.0f + margin.reach;
    if (d2 < near * near) return true;
    const float far = 500.0f + margin.reach;
    if (d2 > far * far) return false;
    if (!InCone(g.rotation, DirectionAngle(dx, dy), 120 + 2 * margin.degrees)) return false;
    for (const Rect& w : walls) {
      if (SegmentMeetsRect(Point{g.x, g.y}, p, w)) return false;
    }
    return true;
  }

  // True when no guard can see the player at p around frame t.
  bool Safe(Point p, int t) const {
    if (Hidden(p)) return true;
    const int first = std::max(0, t - margin.frames), last = std::min(forecast->frames - 1, t + margin.frames);
    for (int f = first; f <= last; f += 2) {
      for (int g = 0; g < forecast->guards; ++g) {
        if (SeenBy(forecast->At(f, g), p)) return false;
      }
    }
    return true;
  }
};

// Space-time A* from `from` to `to` over the grid's open cells: each step moves to a neighbour in a
// fixed number of frames (below the player's top speed, so the plan can be kept) or waits. The
// plan is the player's position on every frame; empty when no unseen way was found.
std::vector<Point> PlanTimed(const Grid& grid, const Watchers& watch, Point from, Point to, bool carrying) {
  int sc = 0, sr = 0, gc = 0, gr = 0;
  if (!grid.Nearest(from, &sc, &sr) || !grid.Nearest(to, &gc, &gr)) return {};
  // Frames per straight and diagonal step: 13 and 18.4 units, at about 70 % of the walking speed
  // (450) or 80 % of the carrying speed (200).
  const int straightFrames = carrying ? 4 : 2, diagonalFrames = carrying ? 6 : 3, waitFrames = 2;
  const float unitsPerFrame = carrying ? 3.25f : 6.5f;
  const int horizon = watch.forecast->frames - watch.margin.frames - 1;
  struct Node {
    int cell, t, parent;
  };
  std::vector<Node> nodes;
  using Entry = std::pair<float, int>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
  std::unordered_set<uint64_t> closed;
  auto key = [](int cell, int t) { return (static_cast<uint64_t>(cell) << 20) | static_cast<uint64_t>(t >> 1); };
  auto h = [&](int c, int r) { return Grid::Heuristic(c, r, gc, gr) / unitsPerFrame; };
  nodes.push_back({sr * grid.columns + sc, 0, -1});
  open.push({h(sc, sr), 0});
  int found = -1;
  size_t expanded = 0;
  while (!open.empty() && expanded < 4000000) {
    const int index = open.top().second;
    open.pop();
    const Node node = nodes[static_cast<size_t>(index)];
    if (!closed.insert(key(node.cell, node.t)).second) continue;
    ++expanded;
    const int c = node.cell % grid.columns, r = node.cell / grid.columns;
    if (c == gc && r == gr) {
      found = index;
      break;
    }
    for (int dr = -1; dr <= 1; ++dr) {
      for (int dc = -1; dc <= 1; ++dc) {
        const bool wait = dr == 0 && dc == 0;
        if (!wait && !grid.Open(c + dc, r + dr)) continue;
        if (dr != 0 && dc != 0 && (!grid.Open(c + dc, r) || !grid.Open(c, r + dr))) continue;
        const int t = node.t + (wait ? waitFrames : (dr != 0 && dc != 0 ? diagonalFrames : straightFrames));
        if (t > horizon) continue;
        const int cell = (r + dr) * grid.columns + (c + dc);
        if (closed.count(key(cell, t)) != 0) continue;
        // The destination must be unseen on arriving and the way there at its middle.
        const Point p = grid.Centre(c + dc, r + dr);
        if (!watch.Safe(p, t)) continue;
        if (!wait) {
          const Point here = grid.Centre(c, r);
          if (!watch.Safe(Point{(p.x + here.x) / 2, (p.y + here.y) / 2}, (t + node.t) / 2)) continue;
        }
        nodes.push_back({cell, t, index});
        open.push({static_cast<float>(t) + h(c + dc, r + dr), static_cast<int>(nodes.size() - 1)});
      }
    }
  }
  if (found < 0) return {};
  std::vector<const Node*> chain;
  for (int i = found; i >= 0; i = nodes[static_cast<size_t>(i)].parent) chain.push_back(&nodes[static_cast<size_t>(i)]);
  std::reverse(chain.begin(), chain.end());
  std::vector<Point> timed;
  timed.push_back(from);
  for (size_t i = 1; i < chain.size(); ++i) {
    const Point a = i == 1 ? from : grid.Centre(chain[i - 1]->cell % grid.columns, chain[i - 1]->cell / grid.columns);
    const Point b = grid.Centre(chain[i]->cell % grid.columns, chain[i]->cell / grid.columns);
    const int span = chain[i]->t - chain[i - 1]->t;
    for (int k = 1; k <= span; ++k) {
      const float u = static_cast<float>(k) / static_cast<float>(span);
      timed.push_back(Point{a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u});
    }
  }
  return timed;
}

}  // namespace

bool GoTimed(const char* what, Point goal, const std::function<bool()>& done, bool barriersOpen) {
  const bool carrying = StateOf(Player()) == player_state::kCarry;
  Grid grid;
  grid.Build(barriersOpen);
  Watchers watch;
  for (GameObject* o : Objects()) {
    if (o == nullptr) continue;
    if (o->type == ObjectType::Wall) watch.walls.push_back(RectOf(o));
    if (o->type == ObjectType::Cover || (o->type == ObjectType::Vent && !carrying)) watch.hideouts.push_back(RectOf(o));
    // A vent takes the food out of the player's hands: a carry keeps off them.
    if (o->type == ObjectType::Vent && carrying) {
      const Rect v = RectOf(o);
      for (int r = 0; r < grid.rows; ++r) {
        for (int c = 0; c < grid.columns; ++c) {
          if (DistanceToRect(grid.Centre(c, r), v) < 24.0f) grid.open[static_cast<size_t>(r * grid.columns + c)] = 0;
        }
      }
    }
  }
  const Forecast forecast = Foresee(4000);
  watch.forecast = &forecast;
  const Point from = PositionOf(Player());
  std::vector<Margin> margins = {{40.0f, 10, 6}, {90.0f, 20, 14}, {15.0f, 4, 3}};
  if (gRound >= 2) margins.push_back({5.0f, 2, 1});
  for (const Margin& m : margins) {
    if (PastDeadline()) return false;
    watch.margin = m;
    const auto started = std::chrono::steady_clock::now();
    std::vector<Point> timed = PlanTimed(grid, watch, from, goal, carrying);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (timed.empty()) {
      std::printf("  %s: no unseen timed way (berth %.0f units, %d degrees; forecast %d frames; %.1f s)\n", what,
                  m.reach, m.degrees, forecast.frames, took);
      continue;
    }
    std::vector<Leg> plan(1);
    plan[0].timed = timed;
    plan[0].route = {goal};
    plan[0].done = done;
    Point noticedAt;
    const Outcome outcome = TryLegs(plan, &noticedAt);
    if (outcome != kReached) {
      std::printf("  %s: the timed way (%zu frames, berth %.0f) failed (%d at %.0f, %.0f)\n", what, timed.size(),
                  m.reach, static_cast<int>(outcome), noticedAt.x, noticedAt.y);
      continue;
    }
    Outcome replayed = kReached;
    if (PlayLegs(plan, &replayed) != plan.size()) {
      std::printf("  %s: the replay of a timed way differs\n", what);
      return false;
    }
    std::printf("  %s: reached by a timed way of %zu frames (berth %.0f units, planned in %.1f s)\n", what,
                timed.size(), m.reach, took);
    return true;
  }
  return false;
}

}  // namespace solve
