#include "gameplay/RankSuggestion.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kStep = 5.0f;          // thresholds are whole multiples of this many seconds
constexpr float kSMargin = 1.15f;      // room over the winning run for S
constexpr float kLongestBStep = 100.0f;

float ToStep(float seconds) { return std::round(seconds / kStep) * kStep; }

}  // namespace

RankThresholds SuggestRankThresholds(float total) {
  RankThresholds out;
  // Never below one step: a threshold of 0 would grade nothing S.
  total = std::max(0.0f, total);
  out.s = std::max(kStep, ToStep(total * kSMargin));
  // A short run rounded down could fall under the solver's own total.
  if (out.s < total) out.s = std::ceil(total / kStep) * kStep;
  // Each rank at least one step above the one before, or a short level would have no A.
  out.a = std::max(out.s + kStep, ToStep(out.s * 4.0f / 3.0f));
  out.b = out.a + std::clamp(ToStep(out.s / 2.0f), kStep, kLongestBStep);
  return out;
}
