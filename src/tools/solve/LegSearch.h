// Finds a way through for one leg and plays it: a timed plan against the guards' forecast first;
// when none gets through, routes over the grid tried ahead in forked copies of the game after
// waits, by hideouts and away from where the player was noticed.
#pragma once

#include <functional>

#include "tools/solve/World.h"

namespace solve {

// Finds a way through towards `goal` and plays it for real: straight there after a wait, or first
// to a hideout nearby and from there after a wait; with each failure the routes keep away from
// where the player was noticed. False when nothing worked.
bool Go(const char* what, Point goal, const std::function<bool()>& done, bool barriersOpen);

}  // namespace solve
