// How the search stands, read by each of its parts: how hard this round looks, whether a guard's
// glimpse is let go, when the time is up, and why the last leg failed.
#pragma once

#include <chrono>
#include <string>

namespace solve {

// How strict a try is about being noticed. A guard's half alert (a glimpse: it comes to look) is
// first counted as a failure; when nothing gets through that way, a glimpse is let go as long as no
// guard starts the chase, since the forked look-ahead shows whether the guard then finds the player.
extern bool gLetGlimpsesGo;

// How hard a search round looks. Round 0 tries the few cheapest pieces at each choice with the
// usual waits; later rounds offer every piece still lying about (also one that failed earlier
// from another place), wait longer, use more hideouts and a closer berth.
extern int gRound;

// Why the last leg failed, for the report: "a guard noticed the player at (x, y)", "no route".
extern std::string gLegWhy;

// The solver's own time limit: past it, every try fails at once and the search winds down.
extern std::chrono::steady_clock::time_point gDeadline;
bool PastDeadline();

}  // namespace solve
