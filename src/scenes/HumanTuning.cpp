#include "scenes/HumanTuning.h"

namespace {
HumanTuning& State() {
  static HumanTuning tuning;
  return tuning;
}
}  // namespace

HumanTuning& HumanTuningValues() { return State(); }

void ResetHumanTuning() { State() = HumanTuning{}; }
