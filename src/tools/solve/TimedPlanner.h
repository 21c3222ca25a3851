// Plans a leg in space and time. While nobody has noticed the player, the guards walk the same
// whatever the player does, so a forked copy of the game that plays on without the player tells
// where each guard will stand and face on every frame; a search over (cell, frame) then finds the
// earliest arrival that no guard can see, with a berth round the guards' sight.
#pragma once

#include <functional>

#include "tools/solve/World.h"

namespace solve {

// Tries timed legs towards `goal` against a forecast of the guards, with wider and wider berths;
// plays the first that goes through unseen for real. False when none did.
bool GoTimed(const char* what, Point goal, const std::function<bool()>& done, bool barriersOpen);

}  // namespace solve
