// A leg of the plan (walk to a piece, carry it, escape) and how legs are played: on the game here,
// or ahead in a forked copy that reports how they would end.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "tools/solve/World.h"

namespace solve {

enum Outcome : int { kReached = 0, kNoticed = 1, kStuck = 2, kEnded = 3 };

struct Leg {
  std::vector<Point> route;
  std::vector<Point> timed;  // when planned against the guards' forecast: where to be on each frame
  int waitFrames = 0;
  std::function<bool()> done;  // the leg's goal, checked after every frame
  Point noticedAt;             // where the player stood when a guard noticed it
};

// Plays legs one after another; the index of the first that did not reach its goal (legs.size()
// when all did) and how it ended.
size_t PlayLegs(std::vector<Leg>& legs, Outcome* outcome);

// Plays legs in a forked copy of the game and reports how they ended (and where a guard noticed
// the player). The game here is left as it was.
Outcome TryLegs(std::vector<Leg>& legs, Point* noticedAt);

// Places where a guard does not see the player: under a cover, in a vent.
std::vector<Point> Hideouts();

// Waits tried before a leg, in frames: short ones finely, then every second up to half a minute.
std::vector<int> Waits();

}  // namespace solve
