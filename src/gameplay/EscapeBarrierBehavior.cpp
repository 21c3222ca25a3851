#include "gameplay/EscapeBarrierBehavior.h"

#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"

namespace {

void IgnoreContact(GameObject*, GameObject*) {}

}  // namespace

void EscapeBarrierBehavior::OnEnter() {
  if (currentState != barrier_state::kInit) return;
  if (auto* shape = owner->GetComponentAs<Collision>(SlotOf(ComponentType::Collision))) {
    shape->onCollision = IgnoreContact;
  }
  nextState = barrier_state::kClosed;
}

// Checked in every state, so a goal reached before the barrier's first update still opens it at once.
void EscapeBarrierBehavior::OnUpdate(float) {
  const Level* scene = CurrentScene();
  if (scene == nullptr || !scene->goalReached) return;
  Open();
}

void EscapeBarrierBehavior::Open() {
  closed = false;
  if (owner != nullptr) owner->visible = false;
  nextState = barrier_state::kOpen;
}

void OpenEscapeBarriers() {
  for (GameObject* object : Objects()) {
    if (object == nullptr || object->type != ObjectType::EscapeBarrier) continue;
    if (auto* barrier = dynamic_cast<EscapeBarrierBehavior*>(BehaviorOf(object))) barrier->Open();
  }
}

void AttachEscapeBarrierBehavior(GameObject* barrier) {
  if (barrier != nullptr) barrier->AddComponent(new EscapeBarrierBehavior());
}

bool EscapeBarrierBlocks(GameObject* barrier) {
  const auto* behavior = dynamic_cast<const EscapeBarrierBehavior*>(BehaviorOf(barrier));
  return behavior != nullptr && behavior->closed;
}
