// The component that gives an object its game logic: a small state machine whose states are plain
// integers chosen by each subclass. The base owns the three state numbers and the change rule; a
// subclass fills in what happens on entering a state, in every frame of it, and on leaving it.
// Sits in slot 1 (ComponentType::Behavior). Anyone may request a change by writing `nextState`;
// the change happens at the start of the behaviour's next update, at most one per update.
// State 0 means "not started"; every behaviour is built with state 1 (its Init) requested.
#pragma once

#include <cstdint>

#include "objects/Component.h"

class GameObject;

class Behavior : public Component {
 public:
  Behavior() : Component(ComponentType::Behavior) {}

  // During the editor halt nothing happens (a pending request stays pending). Otherwise a pending
  // request runs OnExit (old state), moves the numbers on and runs OnEnter; then OnUpdate runs.
  void Update(float dt) final;
  void Draw() override {}

  int32_t previousState = 0;
  int32_t currentState = 0;
  int32_t nextState = 1;

 protected:
  virtual void OnEnter() = 0;
  // dt in seconds, at most 0.025, 0 while paused.
  virtual void OnUpdate(float dt) = 0;
  virtual void OnExit() {}
};

// The behaviour in an object's slot 1, or null (also for a null object).
Behavior* BehaviorOf(const GameObject* object);
