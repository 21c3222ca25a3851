// The behaviour of the one player object: turns input into movement through the player's
// Kinematics (slot 2), faces where it goes or aims (Transform rotation, slot 0), picks food up,
// carries it, winds up and throws it or puts it down, slows down and hides in vents, plays
// footsteps with footprint and dust emitters, toggles the pause, and plays the death and escape
// sequences. Its states are the player_state numbers; it reads the player tuning and the player's
// shared state (pause toggle, footstep timer, last direction, throw slowdown, escape direction).
// Invariant: heldFood is null or an object of the current object list (it is checked each update,
// since food can be removed from the list while carried).
#pragma once

#include <string>

#include "gameplay/Behavior.h"

class Animation;
class GameObject;
class Kinematics;
class Transform;
class Vector2;

class PlayerBehavior final : public Behavior {
 public:
  PlayerBehavior();

  // The contact handler the player installs on its collision shape when it starts: food comes in
  // reach, the collection zone takes carried food, a kill zone restarts the level and the escape
  // zone sends the player running out.
  static void OnPlayerCollision(GameObject* self, GameObject* other);

  // The tuning setters the editor uses (units per second, units per second squared; the penalty is
  // the growth of the speed limit per update after a throw, 0 to 1).
  static void SetAccel(float value);
  static void SetMaxVelocity(float value);
  static void SetDecel(float value);
  static void SetAccelHolding(float value);
  static void SetMaxVelocityHolding(float value);
  static void SetAccelVent(float value);
  static void SetMaxVelocityVent(float value);
  static void SetMovementPenalty(float value);

  // Whether the pause key (or losing the focus) may pause now: the level runs, its pause menu is
  // built and the player is neither dying nor escaping.
  bool PauseAllowed() const;

  bool foodInReach = false;       // touched food this frame (cleared by each walking update)
  GameObject* heldFood = nullptr; // carried, wound up or thrown food; not owned
  std::string foodInReachName;    // the food touched last

 protected:
  void OnEnter() override;
  void OnUpdate(float dt) override;
  void OnExit() override;

 private:
  // Per-state work of OnUpdate.
  void UpdateWalk(float dt);
  void UpdateCarry(float dt);
  void UpdateWindUp();
  void UpdatePadWindUp();
  void UpdateVent();
  void UpdateDeath();
  void UpdateEscape();

  // Steps shared by the states.
  void TogglePause();
  void Face(const Vector2& direction);
  void Footsteps(float dt, float interval);
  void ShowStandingPose();
  void RunThrowSlowdown(float dt);
  void StartMouseWindUp();
  void PickUpFood();
  bool CarryFood();
  void HoldFoodAtPlayer();
  void LaunchFood();
  void LetGoOfFood();
  void ForgetVanishedFood();

  Kinematics* Motion() const;
  Transform* Place() const;
  Animation* Frames() const;

  float facing_ = 0.0f;  // the rotation the current update computes
};

// The player behaviour in an object's slot 1, or null.
PlayerBehavior* PlayerBehaviorOf(const GameObject* object);
// Gives a new player object its behaviour (the player archetype calls it through its hook).
void AttachPlayerBehavior(GameObject* player);
// Pauses a running level from outside the player (the window lost the focus): sets the pause
// toggle and shows the pause menu.
void PauseLevel();
