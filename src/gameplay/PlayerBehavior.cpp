#include "gameplay/PlayerBehavior.h"

#include <algorithm>
#include <cmath>

#include "audio/AudioSystem.h"
#include "core/Input.h"
#include "core/KeyBindings.h"
#include "core/KeyCodes.h"
#include "gameplay/BehaviorStates.h"
#include "gameplay/Hud.h"
#include "gameplay/PlayerState.h"
#include "graphics/Animation.h"
#include "graphics/ParticleEmitter.h"
#include "math/Vector.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Level.h"
#include "scenes/PlayerTuning.h"
#include "scenes/SceneManager.h"
#include "widgets/MenuStack.h"

namespace {

namespace ps = player_state;

constexpr float kRadiansToDegrees = 57.295826f;
// Sprites are drawn facing up, so a rotation of 0 looks along +y.
constexpr float kSpriteFacingOffset = 90.0f;
// A stick or key input this strong on either axis counts as walking for the footsteps.
constexpr float kStepInput = 0.1f;
// Triggers count as pulled from half way.
constexpr float kTriggerPulled = 0.5f;
// The walk sheet's standing pose.
constexpr uint32_t kStandingFrame = 8;
constexpr float kWalkStepInterval = 0.2f;
constexpr float kCarryStepInterval = 0.4f;
// How long the speed limit grows back after a throw before it snaps to the free walking limit.
constexpr float kSlowdownSeconds = 2.0f;
// The dust of a footstep spreads this many degrees to each side.
constexpr float kDustSpread = 5.0f;

// ---- input ----------------------------------------------------------------------------------

const PadState& Pad() { return Input().pads[0]; }
bool PadDown(int button) { return (Pad().state.buttons & kPadButtonMasks[button]) != 0; }
// The pad's flags hold the previous record's buttons.
bool PadPressed(int button) { return PadDown(button) && !Pad().flags[button]; }
bool PadReleased(int button) { return !PadDown(button) && Pad().flags[button]; }
// The keyboard and mouse go through the bindings the player chose.
bool ThrowPressed() { return ActionPressed(Action::Throw); }
bool ThrowReleased() { return ActionReleased(Action::Throw); }

// The left stick, into which the movement keys are folded.
Vector2 MovementInput() { return Vector2(Pad().leftStick[0], Pad().leftStick[1]); }
Vector2 AimInput() { return Vector2(Pad().rightStick[0], Pad().rightStick[1]); }
bool IsZero(const Vector2& v) { return v.x() == 0.0f && v.y() == 0.0f; }

// Releasing (not pressing) the pause key (Escape or P unless changed) or the pad's Start flips the pause.
bool PauseInput() { return ActionReleased(Action::Pause) || PadReleased(PadStart); }
bool HudToggleInput() { return KeyDown(vk::Control) && KeyTriggered(vk::Letter('H')); }
// The left trigger acts once, in the pass it is pulled past half way, as a button acts on its press:
// held down it would pick the food up and put it down again every few frames.
bool LeftTriggerPulled() {
  return Pad().leftTrigger >= kTriggerPulled && Pad().previousLeftTrigger < kTriggerPulled;
}
// The same input picks food up while walking and puts it down while carrying.
bool PickUpOrDropInput() {
  return ActionPressed(Action::PickUpDrop) || LeftTriggerPulled() || PadPressed(PadLeftShoulder) || PadPressed(PadA);
}
bool PadWindUpInput() {
  return Pad().rightTrigger >= kTriggerPulled || PadPressed(PadRightShoulder) || PadPressed(PadB);
}
bool PadThrowInput() {
  const bool letGo = Pad().rightTrigger <= kTriggerPulled && !PadDown(PadRightShoulder) && !PadDown(PadB);
  return letGo || PadReleased(PadB) || PadReleased(PadLeftShoulder);
}

// ---- objects --------------------------------------------------------------------------------

bool InObjectList(const GameObject* object) {
  const std::vector<GameObject*>& list = Objects();
  return std::find(list.begin(), list.end(), object) != list.end();
}

Transform* TransformOf(const GameObject* object) { return object != nullptr ? object->GetTransform() : nullptr; }

Kinematics* KinematicsOf(const GameObject* object) {
  return object != nullptr ? object->GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics)) : nullptr;
}

Collision* ShapeOf(const GameObject* object) {
  return object != nullptr ? object->GetComponentAs<Collision>(SlotOf(ComponentType::Collision)) : nullptr;
}

// Each escape side: the run-out direction and the rotation that faces it.
struct RunOut {
  float x, y, rotation;
};
RunOut RunOutFor(int escapeDirection) {
  switch (escapeDirection) {
    case 1: return {0.0f, -1.0f, 180.0f};  // down
    case 2: return {-1.0f, 0.0f, 90.0f};   // left
    case 3: return {1.0f, 0.0f, 270.0f};   // right
    default: return {0.0f, 1.0f, 0.0f};    // up
  }
}

// The player's footstep timer, last direction and throw slowdown start afresh with every player;
// the pause toggle and the escape direction belong to the level and the escape zone.
void ResetMotionState() {
  PlayerSharedState& shared = PlayerShared();
  const PlayerSharedState fresh;
  shared.footstepTimer = fresh.footstepTimer;
  shared.lastDirectionX = fresh.lastDirectionX;
  shared.lastDirectionY = fresh.lastDirectionY;
  shared.windUpStarted = fresh.windUpStarted;
  shared.slowdownRunning = fresh.slowdownRunning;
  shared.slowdownTimer = fresh.slowdownTimer;
}

}  // namespace

PlayerBehavior::PlayerBehavior() { ResetMotionState(); }

// ---- the state machine ----------------------------------------------------------------------

void PlayerBehavior::OnEnter() {
  const PlayerTuning& tuning = PlayerTuningValues();
  Kinematics* motion = Motion();
  switch (currentState) {
    case ps::kInit:
      if (motion != nullptr) motion->deceleration = tuning.decel;
      if (Collision* shape = ShapeOf(owner)) shape->onCollision = &PlayerBehavior::OnPlayerCollision;
      // The scene manager sends the player back here at the end of an escape; the display and the
      // pause menu are built only when the player first starts, so they are never doubled.
      if (previousState == 0) {
        CreateHud();
        BuildMenu(MenuId::PauseMenu);
      }
      nextState = ps::kWalk;
      break;
    case ps::kWalk: {
      foodInReach = false;
      foodInReachName.clear();
      if (motion == nullptr) break;
      motion->acceleration = tuning.accel;
      // A throw's slowdown keeps its own speed limit until it has run out.
      const PlayerSharedState& shared = PlayerShared();
      if (!shared.windUpStarted && !shared.slowdownRunning) motion->maxSpeed = tuning.maxVelocity;
      break;
    }
    case ps::kCarry:
      if (motion == nullptr) break;
      motion->acceleration = tuning.accel_holding;
      motion->maxSpeed = tuning.maxVelocity_holding;
      break;
    case ps::kWindUp:
      PlayEvent("windup");
      break;
    case ps::kPadWindUp:
      if (motion != nullptr) motion->maxSpeed *= 0.5f;
      break;
    case ps::kThrow:
      PlayEvent("throw");
      nextState = ps::kDrop;
      break;
    case ps::kDrop:
      // After a throw the food is already flying: nothing to put down.
      if (previousState != ps::kThrow) PlayEvent("dropfood");
      nextState = ps::kWalk;
      break;
    case ps::kVent:
      if (heldFood != nullptr) PlayEvent("footsteps_p_vent");
      LetGoOfFood();
      if (motion == nullptr) break;
      motion->acceleration = tuning.accel_vent;
      motion->maxSpeed = tuning.maxVelocity_vent;
      break;
    case ps::kDeath:
      StartEmitters(owner, "death");
      if (motion == nullptr) break;
      motion->maxSpeed = 0.0f;
      motion->acceleration = 0.0f;
      break;
    case ps::kEscape: {
      const float rotation = Place() != nullptr ? Place()->rotation : 0.0f;
      for (ParticleEmitter* stars : FindEmitters(owner, "escape")) {
        stars->rotationMin = rotation;
        stars->rotationMax = rotation;
        stars->Start();
      }
      break;
    }
    default:
      break;
  }
}

void PlayerBehavior::OnUpdate(float dt) {
  // 1. The pass raises these again while the player is over a vent or under cover.
  GetCollisionFlags().playerOverVent = false;
  GetCollisionFlags().playerUnderCover = false;
  // 2-3. The pause key works while paused; nothing else does. It cannot pause a player who is
  // dying, escaping or running out: the scene leaves by itself then, and would leave paused.
  if (PauseInput() && (PlayerShared().pauseToggle || PauseAllowed())) TogglePause();
  if (PlayerShared().pauseToggle) return;
  // 4. Ctrl+H shows or hides the display.
  if (HudToggleInput()) ToggleHud();
  // 5. Steering and the level clock.
  const Vector2 move = MovementInput();
  if (Kinematics* motion = Motion()) motion->SetDirection(move.x(), move.y());
  if (const Level* scene = CurrentScene()) UpdateTimerHud(scene->time);
  // 6. The state's own work, which may turn the player.
  Transform* place = Place();
  facing_ = place != nullptr ? place->rotation : 0.0f;
  ForgetVanishedFood();
  switch (currentState) {
    case ps::kWalk: UpdateWalk(dt); break;
    case ps::kCarry: UpdateCarry(dt); break;
    case ps::kWindUp: UpdateWindUp(); break;
    case ps::kPadWindUp: UpdatePadWindUp(); break;
    case ps::kVent: UpdateVent(); break;
    case ps::kDeath: UpdateDeath(); break;
    case ps::kEscape: UpdateEscape(); break;
    default: break;
  }
  // 7. The rotation the state computed.
  if (place != nullptr) place->rotation = facing_;
}

void PlayerBehavior::OnExit() {
  if (currentState == ps::kThrow) LaunchFood();
  if (currentState == ps::kDrop) heldFood = nullptr;
}

// ---- the states -----------------------------------------------------------------------------

void PlayerBehavior::UpdateWalk(float dt) {
  Footsteps(dt, kWalkStepInterval);
  Face(MovementInput());
  RunThrowSlowdown(dt);
  if (PickUpOrDropInput() && foodInReach) PickUpFood();
  foodInReach = false;
}

void PlayerBehavior::UpdateCarry(float dt) {
  Footsteps(dt, kCarryStepInterval);
  Face(MovementInput());
  if (!CarryFood()) {
    nextState = ps::kDrop;
    return;
  }
  if (PadWindUpInput()) {
    nextState = ps::kPadWindUp;
  } else if (ThrowPressed()) {
    StartMouseWindUp();
    nextState = ps::kWindUp;
  }
  if (PickUpOrDropInput()) nextState = ps::kDrop;
}

void PlayerBehavior::UpdateWindUp() {
  ShowStandingPose();
  HoldFoodAtPlayer();
  const Vector2 aim = AimInput();
  if (!IsZero(aim)) {
    Face(aim);
  } else {
    const Transform* place = Place();
    const Vector2 at = place != nullptr ? Vector2(place->position[0], place->position[1]) : Vector2();
    Face(Vector2(Input().mouse.worldX, Input().mouse.worldY) - at);
  }
  if (ThrowReleased()) nextState = ps::kThrow;
  if (PickUpOrDropInput()) nextState = ps::kDrop;
}

void PlayerBehavior::UpdatePadWindUp() {
  ShowStandingPose();
  HoldFoodAtPlayer();
  const Vector2 aim = AimInput();
  Face(!IsZero(aim) ? aim : MovementInput());
  if (PadThrowInput()) nextState = ps::kThrow;
  if (PickUpOrDropInput()) nextState = ps::kDrop;
}

void PlayerBehavior::UpdateVent() { Face(MovementInput()); }

void PlayerBehavior::UpdateDeath() { ShowStandingPose(); }

void PlayerBehavior::UpdateEscape() {
  const RunOut out = RunOutFor(PlayerShared().escapeDirection);
  if (Kinematics* motion = Motion()) motion->SetDirection(out.x, out.y);
  facing_ = out.rotation;
}

// ---- steps ----------------------------------------------------------------------------------

void PlayerBehavior::TogglePause() {
  PlayerSharedState& shared = PlayerShared();
  shared.pauseToggle = !shared.pauseToggle;
  PlayEvent(shared.pauseToggle ? "pause" : "nopause");
  if (shared.pauseToggle) {
    OpenMenu(MenuId::PauseMenu);
  } else {
    CloseMenu(MenuId::PauseMenu);
  }
}

// A zero vector keeps the last direction faced.
void PlayerBehavior::Face(const Vector2& direction) {
  PlayerSharedState& shared = PlayerShared();
  Vector2 v = direction;
  if (IsZero(v)) v = Vector2(shared.lastDirectionX, shared.lastDirectionY);
  facing_ = std::atan2(v.y(), v.x()) * kRadiansToDegrees - kSpriteFacingOffset;
  shared.lastDirectionX = v.x();
  shared.lastDirectionY = v.y();
}

void PlayerBehavior::Footsteps(float dt, float interval) {
  PlayerSharedState& shared = PlayerShared();
  const Vector2 move = MovementInput();
  if (std::fabs(move.x()) < kStepInput && std::fabs(move.y()) < kStepInput) {
    ShowStandingPose();
    if (currentState == ps::kWalk) shared.footstepTimer = kWalkStepInterval;
    return;
  }
  if (Animation* frames = Frames(); frames != nullptr && frames->currentClip != nullptr) {
    frames->currentClip->playing = true;
  }
  shared.footstepTimer -= dt;
  if (shared.footstepTimer > 0.0f) return;

  const float rotation = Place() != nullptr ? Place()->rotation : 0.0f;
  for (ParticleEmitter* print : FindEmitters(owner, "footstep")) {
    print->rotationMin = rotation;
    print->rotationMax = rotation;
    print->Start();
  }
  float r = rotation - kSpriteFacingOffset;
  if (currentState == ps::kWalk && (r == 90.0f || r == 270.0f)) r = -r;
  for (ParticleEmitter* dust : FindEmitters(owner, "dust")) {
    dust->directionMin = -(r - kDustSpread);
    dust->directionMax = -(r + kDustSpread);
    dust->Start();
  }
  PlayEvent("footsteps_p");
  shared.footstepTimer = interval;
}

void PlayerBehavior::ShowStandingPose() {
  if (Animation* frames = Frames(); frames != nullptr && frames->currentClip != nullptr) {
    frames->currentClip->frame = kStandingFrame;
  }
}

// After a mouse throw the speed limit starts at the carrying limit and grows by the movement
// penalty each update while that stays below the free limit; after two seconds it snaps back.
void PlayerBehavior::RunThrowSlowdown(float dt) {
  PlayerSharedState& shared = PlayerShared();
  if (!shared.windUpStarted) return;
  const PlayerTuning& tuning = PlayerTuningValues();
  Kinematics* motion = Motion();
  shared.slowdownTimer -= dt;
  if (shared.slowdownTimer < 0.0f && !shared.slowdownRunning) {
    shared.slowdownTimer = kSlowdownSeconds;
    shared.slowdownRunning = true;
    return;
  }
  if (shared.slowdownRunning && shared.slowdownTimer > 0.0f) {
    if (motion != nullptr) {
      const float grown = motion->maxSpeed + tuning.movementPenalty * motion->maxSpeed;
      if (grown < tuning.maxVelocity) motion->maxSpeed = grown;
    }
    return;
  }
  if (shared.slowdownTimer <= 0.0f && shared.slowdownRunning) {
    if (motion != nullptr) motion->maxSpeed = tuning.maxVelocity;
    shared.slowdownTimer = 0.0f;
    shared.windUpStarted = false;
    shared.slowdownRunning = false;
  }
}

void PlayerBehavior::StartMouseWindUp() {
  if (Kinematics* motion = Motion()) motion->maxSpeed = PlayerTuningValues().maxVelocity_holding;
  PlayerSharedState& shared = PlayerShared();
  shared.windUpStarted = true;
  shared.slowdownTimer = 0.0f;
}

void PlayerBehavior::PickUpFood() {
  heldFood = FindObject(foodInReachName);
  nextState = ps::kCarry;
  PlayEvent("grabfood");
}

// Keeps the food on the player; false when there is nothing (left) to carry.
bool PlayerBehavior::CarryFood() {
  if (heldFood == nullptr || heldFood->destroy) return false;
  Transform* food = TransformOf(heldFood);
  if (Kinematics* foodMotion = KinematicsOf(heldFood); foodMotion != nullptr && food != nullptr) {
    foodMotion->lastPosition[0] = food->position[0];
    foodMotion->lastPosition[1] = food->position[1];
    foodMotion->lastPosition[2] = food->position[2];
  }
  HoldFoodAtPlayer();
  const Collision* shape = ShapeOf(heldFood);
  return shape == nullptr || !shape->collected;
}

void PlayerBehavior::HoldFoodAtPlayer() {
  Transform* food = TransformOf(heldFood);
  const Transform* place = Place();
  if (food == nullptr || place == nullptr) return;
  food->position[0] = place->position[0];
  food->position[1] = place->position[1];
}

// The food flies the way the player faces, at its own speed limit.
void PlayerBehavior::LaunchFood() {
  if (heldFood == nullptr || !InObjectList(heldFood)) return;
  Kinematics* foodMotion = KinematicsOf(heldFood);
  if (foodMotion == nullptr) return;
  const float rotation = Place() != nullptr ? Place()->rotation : 0.0f;
  const float a = (rotation + kSpriteFacingOffset) / kRadiansToDegrees;
  foodMotion->SetVelocity(std::cos(a) * foodMotion->maxSpeed, std::sin(a) * foodMotion->maxSpeed);
}

void PlayerBehavior::LetGoOfFood() {
  heldFood = nullptr;
  foodInReachName.clear();
  foodInReach = false;
}

// Food is removed from the list at the end of the frame it was marked in, so a pointer kept from
// an earlier frame may name an object that no longer exists.
void PlayerBehavior::ForgetVanishedFood() {
  if (heldFood != nullptr && !InObjectList(heldFood)) heldFood = nullptr;
}

Kinematics* PlayerBehavior::Motion() const { return KinematicsOf(owner); }
Transform* PlayerBehavior::Place() const { return TransformOf(owner); }
Animation* PlayerBehavior::Frames() const {
  return owner != nullptr ? owner->GetComponentAs<Animation>(SlotOf(ComponentType::Animation)) : nullptr;
}

// ---- contacts -------------------------------------------------------------------------------

void PlayerBehavior::OnPlayerCollision(GameObject* self, GameObject* other) {
  PlayerBehavior* player = PlayerBehaviorOf(self);
  if (player == nullptr || other == nullptr) return;
  switch (other->type) {
    case ObjectType::Food:
      player->foodInReach = true;
      player->foodInReachName = other->name;
      break;
    case ObjectType::Collection:
      if (player->currentState == ps::kCarry) player->nextState = ps::kDrop;
      break;
    case ObjectType::KillZone:
      RequestRestart();
      break;
    case ObjectType::EscapeZone:
      if (player->nextState != ps::kEscape) player->nextState = ps::kEscape;
      break;
    default:
      break;
  }
}

// ---- tuning ---------------------------------------------------------------------------------

void PlayerBehavior::SetAccel(float value) { PlayerTuningValues().accel = value; }
void PlayerBehavior::SetMaxVelocity(float value) { PlayerTuningValues().maxVelocity = value; }
void PlayerBehavior::SetDecel(float value) { PlayerTuningValues().decel = value; }
void PlayerBehavior::SetAccelHolding(float value) { PlayerTuningValues().accel_holding = value; }
void PlayerBehavior::SetMaxVelocityHolding(float value) { PlayerTuningValues().maxVelocity_holding = value; }
void PlayerBehavior::SetAccelVent(float value) { PlayerTuningValues().accel_vent = value; }
void PlayerBehavior::SetMaxVelocityVent(float value) { PlayerTuningValues().maxVelocity_vent = value; }
void PlayerBehavior::SetMovementPenalty(float value) { PlayerTuningValues().movementPenalty = value; }

// ---- free functions -------------------------------------------------------------------------

PlayerBehavior* PlayerBehaviorOf(const GameObject* object) { return dynamic_cast<PlayerBehavior*>(BehaviorOf(object)); }

void AttachPlayerBehavior(GameObject* player) {
  if (player != nullptr) player->AddComponent(new PlayerBehavior());
}

bool PlayerBehavior::PauseAllowed() const {
  const Level* scene = CurrentScene();
  if (scene != nullptr && (scene->gameOver || scene->exitStarted)) return false;
  for (int32_t state : {currentState, nextState}) {
    if (state == ps::kDeath || state == ps::kEscape) return false;
  }
  return MenuBuilt(MenuId::PauseMenu);
}

// Losing the focus pauses only where the pause key could: a level whose player stands with its pause
// menu built, and is not dying or escaping. Anywhere else nothing could show the menu or take the
// pause back.
void PauseLevel() {
  if (PlayerShared().pauseToggle) return;
  const PlayerBehavior* player = nullptr;
  for (const GameObject* object : Objects()) {
    if (object != nullptr && !object->destroy && object->type == ObjectType::Player) {
      player = PlayerBehaviorOf(object);
      if (player != nullptr) break;
    }
  }
  if (player == nullptr || !player->PauseAllowed()) return;
  PlayerShared().pauseToggle = true;
  OpenMenu(MenuId::PauseMenu);
}
