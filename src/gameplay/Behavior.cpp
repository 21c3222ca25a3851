#include "gameplay/Behavior.h"

#include "core/EditorLink.h"
#include "objects/GameObject.h"

void Behavior::Update(float dt) {
  if (EditorHalted()) return;
  if (currentState != nextState) {
    OnExit();
    previousState = currentState;
    currentState = nextState;
    OnEnter();
  }
  OnUpdate(dt);
}

Behavior* BehaviorOf(const GameObject* object) {
  if (object == nullptr) return nullptr;
  return object->GetComponentAs<Behavior>(SlotOf(ComponentType::Behavior));
}
