// Where the guards can see over one round of their patrols: every guard is walked along its patrol
// path (an open path there and back, a loop once round), facing the way it walks as it does in
// play, and at each step the guards' own sight test (LookForPlayer, the tuning's cone and reach)
// is asked about every cell of a grid over the level, with the player stood there. A cell's value
// is the largest share of a round that one guard sees it. The editor draws it as a heat map.
// Reads Transforms, collision shapes and the guards' patrol paths; moves the guards and the player
// for the test and puts them back as they were.
#pragma once

#include <cstddef>
#include <vector>

class GameObject;

struct GuardPose {
  float x = 0.0f, y = 0.0f, rotation = 0.0f;
};

struct CoverageMap {
  float originX = 0.0f, originY = 0.0f;  // world position of cell (0, 0)'s lower left corner
  float cell = 0.0f;                     // world units per cell side
  int columns = 0, rows = 0;
  std::vector<float> seen;  // row-major, 0 (never seen) to 1 (seen the whole round)
  float At(int column, int row) const { return seen[static_cast<std::size_t>(row * columns + column)]; }
};

// The poses of one guard over a round of its patrol, `step` world units apart: one pose (where it
// stands) for a guard without a patrol path.
std::vector<GuardPose> PatrolRound(const GameObject* guard, float step);
// The coverage of the running scene's guards on cells of `cell` units over the walls' extent. Empty
// (no columns) without a player or a guard.
CoverageMap ComputeGuardCoverage(float cell);
