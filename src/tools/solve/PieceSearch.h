// The search for a winning run: which piece to fetch next, each choice played on to the end in a
// forked branch, in rounds that look harder and harder, and the furthest failure for the report.
#pragma once

#include <cstdint>

namespace solve {

// True in a process whose forked branch won: the branch wrote the script and this one only stops.
extern bool gWonByBranch;

// The furthest the search got without winning, and why it stopped there: what the report says
// when the level is not won. Forked branches hand theirs back to the parent through a pipe.
struct Failure {
  int32_t delivered = -1;  // pieces delivered when it failed; -1: nothing failed yet
  int32_t legsFailed = 0;  // legs that found no unseen way: a harder round might get through
  char text[400] = "";
};
extern Failure gFailure;

// Plays the level from its start to a win; false when every round failed (gFailure says why).
// True both in the branch that won, which goes on to write the script, and in each process above
// it, which only stops (gWonByBranch is set there).
bool Solve();

}  // namespace solve
