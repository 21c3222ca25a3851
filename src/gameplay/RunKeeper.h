// What becomes of a level's runs: each run of a level is recorded from the frame it starts in; a
// run that ends (won or lost) is kept as a run file, and a won run that beats the level's best
// becomes its record and its best run. A replay being watched is neither recorded nor graded
// into the records. Started and ended by the scene manager's hooks through the watch module.
#pragma once

#include <cstdint>

struct Level;

// Runs are recorded and kept, and records offered, only in the game itself (its entry point turns
// this on): the tools that play levels (the solver, the level tool) leave the player's folder alone.
void SetRunKeeping(bool keep);

// A level scene has started (or restarted): a new run begins, with a new seed of the game's random
// source written into it. A run left unfinished before (a restart, a scene change) is dropped.
void BeginLevelRun(Level& level);
// A replayed level has started: its random source gets the replay's seed (when it has one) and
// nothing is recorded.
void BeginReplayedRun(Level& level, bool hasSeed, uint32_t seed);
// A non-level scene has started: an unfinished run is dropped.
void DropLevelRun();
// The run of `level` has ended. Keeps it; a won run is graded and offered to the records.
void EndLevelRun(Level& level, bool won);
// True when the last run that ended set a new best (the end scene says so).
bool LastRunSetBest();
