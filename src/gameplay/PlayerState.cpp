#include "gameplay/PlayerState.h"

namespace {
PlayerSharedState& State() {
  static PlayerSharedState state;
  return state;
}
}  // namespace

PlayerSharedState& PlayerShared() { return State(); }
void ResetPlayerShared() { State() = PlayerSharedState{}; }
