#include "gameplay/GameplayHooks.h"

#include "core/AppHooks.h"
#include "gameplay/Behavior.h"
#include "gameplay/HumanBehavior.h"
#include "gameplay/LevelRules.h"
#include "gameplay/PlayerBehavior.h"
#include "gameplay/Retry.h"
#include "gameplay/SpotterArrows.h"
#include "gameplay/VisionCones.h"
#include "objects/Collision.h"
#include "objects/ObjectManager.h"
#include "scenes/Factory.h"
#include "scenes/SceneManager.h"

namespace {

// The collision rules and the vent entry ask about the player through these; an object without a
// player behaviour answers kNoBehavior, and the rules that need one then do nothing.
int PlayerNextState(GameObject* player) {
  const PlayerBehavior* behavior = PlayerBehaviorOf(player);
  return behavior != nullptr ? behavior->nextState : kNoBehavior;
}

int PlayerCurrentState(GameObject* player) {
  const PlayerBehavior* behavior = PlayerBehaviorOf(player);
  return behavior != nullptr ? behavior->currentState : kNoBehavior;
}

void SetPlayerNextState(GameObject* player, int state) {
  if (PlayerBehavior* behavior = PlayerBehaviorOf(player)) behavior->nextState = state;
}

// Any behaviour: the scene manager re-initialises the player in the last half second of an escape.
void RequestBehaviorState(GameObject* object, int state) {
  if (Behavior* behavior = BehaviorOf(object)) behavior->nextState = state;
}

}  // namespace

void InstallPlayerHooks() {
  GetFactoryHooks().attachPlayerBehavior = &AttachPlayerBehavior;
  CollisionBehaviorHooks& collision = GetCollisionBehaviorHooks();
  collision.playerNextState = &PlayerNextState;
  collision.setPlayerNextState = &SetPlayerNextState;
  collision.playerCurrentState = &PlayerCurrentState;
  GetSceneHooks().requestState = &RequestBehaviorState;
  GetApplicationHooks().pauseLevel = &PauseLevel;
}

void InstallRetryHooks() { GetSceneHooks().handleRetry = &HandleRetryInput; }

void InstallStealthViewHooks() {
  GetObjectPassHooks().drawFloorMarks = &DrawVisionCones;
  GetObjectPassHooks().drawScreenMarks = &DrawSpotterArrows;
}

void InstallGameplay() {
  InstallPlayerHooks();
  InstallHumanHooks();
  InstallLevelRulesHooks();
  InstallRetryHooks();
  InstallStealthViewHooks();
}
