#include "gameplay/LevelRules.h"

#include <cstdint>

#include "audio/AudioSystem.h"
#include "core/Logger.h"
#include "gameplay/BehaviorStates.h"
#include "gameplay/EndScene.h"
#include "gameplay/EscapeBarrierBehavior.h"
#include "gameplay/EscapeZoneBehavior.h"
#include "gameplay/GlassBehavior.h"
#include "gameplay/Hud.h"
#include "gameplay/PlayerState.h"
#include "graphics/ParticleEmitter.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "scenes/Factory.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"

namespace {

void RegisterFoodSounds() {
  RegisterEvent("event:/SFX/Food/FoodNeeded", "foodneeded");
  RegisterEvent("event:/SFX/Food/FoodMax", "foodmax");
}

// The food vanishes into the zone: no picture, no more contacts (a carrying player lets go), stars
// instead of crumbs. Then the count, the goal and the counter.
void Deliver(GameObject* food, Level* scene) {
  auto* shape = food->GetComponentAs<Collision>(SlotOf(ComponentType::Collision));
  if (shape != nullptr && shape->collected) return;
  PlayEvent("collect");
  food->RemoveComponent(SlotOf(ComponentType::Model));
  if (shape != nullptr) {
    shape->collected = true;
    // A delivered piece lying in the zone would otherwise be delivered again every frame.
    shape->disabled = true;
  }
  StartEmitters(food, "collection");
  StopEmitters(food, "crumbs");
  Log("Food Collected", LogLevel::Debug);
  if (scene == nullptr) return;

  ++scene->foodCollected;
  if (static_cast<int64_t>(scene->foodCollected) >= static_cast<int64_t>(scene->foodGoal)) {
    PlayEvent("foodneeded");
    if (!scene->goalReached) OpenEscapeBarriers();
    scene->goalReached = true;
  }
  if (scene->foodCollected >= scene->foodCount) PlayEvent("foodmax");
  SetHudFoodCount(scene->foodCollected);
  UpdateFoodHud(scene->foodGoal);
}

float SquaredSpeed(const GameObject* object) {
  const auto* kinematics = object->GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics));
  if (kinematics == nullptr) return 0.0f;
  const float* v = kinematics->GetVelocity();
  return v[0] * v[0] + v[1] * v[1];
}

void HitHuman(GameObject* food, GameObject* human) {
  Behavior* behavior = BehaviorOf(human);
  if (behavior != nullptr && behavior->currentState == human_state::kStun) return;
  if (SquaredSpeed(food) < kStunSpeed * kStunSpeed) return;
  PlayEvent("enemyhit_e");
  PlayEvent("collision_f");
  StartEmitters(food, "collision");
  if (behavior != nullptr) behavior->nextState = human_state::kStun;
}

}  // namespace

void StartLevel(Level&) {
  // Also while the editor holds the level stopped: its "Run" plays on without starting it again.
  RegisterFoodSounds();
  ResetHud();
  ResetEscapeSignal();
  ResetPlayerShared();
}

void FoodContact(GameObject* food, GameObject* other) {
  if (food == nullptr || other == nullptr) return;
  switch (other->type) {
    case ObjectType::Collection: Deliver(food, CurrentScene()); break;
    case ObjectType::Enemy: HitHuman(food, other); break;
    case ObjectType::Wall: PlayEvent("collision_f"); break;
    default: break;
  }
}

void InstallLevelRulesHooks() {
  FactoryHooks& factory = GetFactoryHooks();
  factory.foodRule = FoodContact;
  factory.attachGlassBehavior = AttachGlassBehavior;
  factory.attachEscapeBarrierBehavior = AttachEscapeBarrierBehavior;
  factory.attachEscapeZoneBehavior = AttachEscapeZoneBehavior;

  GetCollisionBehaviorHooks().barrierBlocks = EscapeBarrierBlocks;

  SceneHooks& scenes = GetSceneHooks();
  scenes.buildEndScene = BuildEndScene;
  scenes.buildGameOver = BuildGameOver;
  scenes.buildYouWin = BuildYouWin;
  scenes.setEscapeDirection = SetZoneEscapeDirection;
  scenes.startLevel = StartLevel;
}
