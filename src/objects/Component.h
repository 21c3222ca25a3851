// The base of every component. A component's kind is also the index of its slot in its owner's
// component vector (0..10); a second component of a kind already present, a collision-outline model
// and every Sound (kind 12) are appended after the fixed slots. The owner owns its components.
#pragma once

#include <cstdint>

class GameObject;

enum class ComponentType : uint32_t {
  Transform = 0,
  Behavior = 1,
  Kinematics = 2,
  UIHandler = 3,
  Text = 4,
  Model = 5,
  Collision = 6,
  Animation = 7,
  Light = 8,
  Filter = 9,
  ParticleEmitter = 10,
  Sound = 12,
};

inline constexpr uint32_t kComponentSlots = 11;

inline constexpr uint32_t SlotOf(ComponentType type) { return static_cast<uint32_t>(type); }

class Component {
 public:
  explicit Component(ComponentType t) : type(t) {}
  virtual ~Component() = default;
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  // dt in seconds: at most 0.025, 0 while paused.
  virtual void Update(float dt) = 0;
  virtual void Draw() = 0;
  // Called by GameObject::AddComponent for UI handlers, once the owner is set.
  virtual void OnAttach() {}
  // A model that shows its owner's collision shape; such models are always appended (Model overrides).
  virtual bool IsCollisionOutline() const { return false; }

  ComponentType type;
  GameObject* owner = nullptr;
};
