// The script writer: the run the solver played, written as an input script the game replays, headed
// by what the replay should come to; and the player's route beside it.
#pragma once

#include <cstdint>
#include <string>

#include "tools/solve/World.h"

namespace solve {

// The solver's exit code when it could not write what it was asked to, or could not start.
constexpr int kCannotWrite = 3;

// Writes the input script of `game`'s run to `out`, with a header that names the scene and, for a
// won run, the end-scene frame and `rank` a replay must reach (`total` is the graded time); and
// when the run was won, its route to `routeFile` (none when empty). Prints the header's summary.
// False when the script could not be written (the reason is printed).
bool WriteScript(const Game& game, bool won, int32_t sceneId, float total, char rank, const std::string& out,
                 const std::string& routeFile);

}  // namespace solve
