#include "tools/solve/LegSearch.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/solve/Legs.h"
#include "tools/solve/PlayerGrid.h"
#include "tools/solve/SearchState.h"
#include "tools/solve/TimedPlanner.h"

namespace solve {

bool Go(const char* what, Point goal, const std::function<bool()>& done, bool barriersOpen) {
  if (GoTimed(what, goal, done, barriersOpen)) return true;
  Grid grid;
  grid.Build(barriersOpen);
  const Point from = PositionOf(Player());
  std::vector<Point> hideouts = Hideouts();
  std::sort(hideouts.begin(), hideouts.end(), [&](Point a, Point b) {
    return Distance(from, a) + Distance(a, goal) < Distance(from, b) + Distance(b, goal);
  });
  const size_t hideoutsTried = gRound >= 2 ? 8 : 4;
  if (hideouts.size() > hideoutsTried) hideouts.resize(hideoutsTried);
  int tries = 0;
  bool everNoticed = false, everStuck = false;
  Point lastNoticed = from;  // over all tries, for the report
  for (int pass = 0; pass < 2; ++pass) {
  gLetGlimpsesGo = pass == 1;
  grid.penalty.assign(grid.open.size(), 0.0f);
  for (int round = 0; round < 3; ++round) {
    // Candidate plans: straight, then by each hideout.
    std::vector<std::vector<Leg>> plans;
    float length = 0.0f;
    Leg straight;
    straight.done = done;
    straight.route = grid.Route(from, goal, &length);
    if (straight.route.empty()) {
      std::printf("  %s: no route to (%.0f, %.0f)\n", what, goal.x, goal.y);
      gLegWhy = "no way leads there from (" + Coordinates(from) + ")";
      gLetGlimpsesGo = false;
      return false;
    }
    plans.push_back({straight});
    for (Point h : hideouts) {
      Leg hide;
      hide.route = grid.Route(from, h, nullptr);
      hide.done = [h] { return Distance(PositionOf(Player()), h) < 12.0f; };
      Leg onward;
      onward.route = grid.Route(h, goal, nullptr);
      onward.done = done;
      if (!hide.route.empty() && !onward.route.empty()) plans.push_back({hide, onward});
    }
    Point roundNoticed = from;  // this round's, which the next round's routes keep away from
    for (std::vector<Leg>& plan : plans) {
      for (int wait : Waits()) {
        if (PastDeadline()) {
          std::printf("  %s: out of time\n", what);
          gLegWhy = "the search ran out of time";
          gLetGlimpsesGo = false;
          return false;
        }
        plan.back().waitFrames = wait;
        ++tries;
        Point noticedAt;
        const Outcome outcome = TryLegs(plan, &noticedAt);
        if (outcome == kReached) {
          std::vector<Leg> real = plan;
          Outcome replayed = kReached;
          const bool same = PlayLegs(real, &replayed) == real.size();
          gLetGlimpsesGo = false;
          if (!same) {
            std::printf("  %s: the replay of a tried plan differs\n", what);
            return false;
          }
          std::printf("  %s: reached %s after waiting %.1f s (route %.0f units, %d tries%s)\n", what,
                      plan.size() > 1 ? "by a hideout" : "straight", wait * kFrameSeconds, length, tries,
                      pass == 1 ? ", a guard glimpsed the player" : "");
          return true;
        }
        if (outcome == kNoticed) {
          lastNoticed = roundNoticed = noticedAt;
          everNoticed = true;
          continue;
        }
        everStuck = true;
        break;  // stuck or ended: no wait helps this plan
      }
    }
    // Keep away from where the player was noticed last, and plan again.
    grid.Avoid(roundNoticed, 250.0f, 60.0f);
  }
  }
  gLetGlimpsesGo = false;
  std::printf("  %s: every try was noticed or stuck (%d tries)\n", what, tries);
  if (PastDeadline()) {
    gLegWhy = "the search ran out of time";
  } else if (everNoticed) {
    gLegWhy = "a guard noticed the player on every try (last at (" + Coordinates(lastNoticed) + "))";
  } else {
    gLegWhy = everStuck ? "the player got stuck on the way" : "no try got through";
  }
  return false;
}

}  // namespace solve
