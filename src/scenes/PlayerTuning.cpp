#include "scenes/PlayerTuning.h"

namespace {
PlayerTuning& State() {
  static PlayerTuning tuning;
  return tuning;
}
}  // namespace

PlayerTuning& PlayerTuningValues() { return State(); }

void ResetPlayerTuning() { State() = PlayerTuning{}; }
