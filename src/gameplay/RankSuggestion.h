// The rank thresholds a level is given from the total of a winning run (the level time plus 30 s
// for every piece left behind), the way the three shipped levels got theirs: S is the total and
// 15 % more, A a third over S, B half of S over A but at most 100 s over it; each to the nearest
// 5 s (S never under the total). The editor's "Prove" offers them.
#pragma once

struct RankThresholds {
  float s = 0.0f, a = 0.0f, b = 0.0f;  // seconds of total time, lower is better
};

// Thresholds for a winning total of `total` seconds (not negative).
RankThresholds SuggestRankThresholds(float total);
