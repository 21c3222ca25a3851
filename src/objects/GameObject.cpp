#include "objects/GameObject.h"

#include <utility>

#include "objects/ObjectManager.h"
#include "objects/Transform.h"

namespace {

uint64_t NextSerial() {
  static uint64_t last = 0;
  return ++last;
}

}  // namespace

GameObject::GameObject(std::string objectName, float x, float y, float z, float scaleX, float scaleY,
                       ObjectType objectType)
    : name(std::move(objectName)), type(objectType), serial(NextSerial()) {
  components.resize(kComponentSlots);
  auto* transform = new Transform(x, y, z, scaleX, scaleY);
  transform->owner = this;
  components[SlotOf(ComponentType::Transform)].reset(transform);
}

GameObject::~GameObject() = default;

void GameObject::AddComponent(Component* component) {
  if (component == nullptr) return;
  component->owner = this;
  uint32_t slot = SlotOf(component->type);
  bool outline = component->IsCollisionOutline();
  if (slot < kComponentSlots && !components[slot] && !outline) {
    components[slot].reset(component);
  } else {
    components.emplace_back(component);
  }
  if (component->type == ComponentType::UIHandler) component->OnAttach();
  NoteObjectListChanged();
}

Component* GameObject::GetComponent(unsigned slot) const {
  if (slot >= components.size()) return nullptr;
  return components[slot].get();
}

void GameObject::RemoveComponent(unsigned slot) {
  if (slot >= components.size() || !components[slot]) return;
  components[slot].reset();
  NoteObjectListChanged();
}

void GameObject::RemoveComponent(Component* component) {
  for (auto& c : components) {
    if (c.get() == component) {
      c.reset();
      NoteObjectListChanged();
      return;
    }
  }
}

Transform* GameObject::GetTransform() const { return GetComponentAs<Transform>(SlotOf(ComponentType::Transform)); }
