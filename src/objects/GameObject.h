// A game object: a named bag of components held in fixed slots by component kind (0..10), followed
// by any appended components. Every object has its Transform in slot 0 from construction. The object
// owns its components; the object manager owns the objects. Game code never deletes an object: it
// sets `destroy` and the object pass removes it at the end of the frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "objects/Component.h"
#include "objects/ObjectType.h"

class Transform;

class GameObject {
 public:
  // Creates the Transform in slot 0 at (x, y, z) with rotation 0 and the given scale.
  GameObject(std::string name, float x, float y, float z, float scaleX, float scaleY, ObjectType type);
  virtual ~GameObject();
  GameObject(const GameObject&) = delete;
  GameObject& operator=(const GameObject&) = delete;

  // Takes ownership. Lands in the component's slot when that slot is empty and the component is not
  // a collision-outline model; otherwise it is appended. Calls OnAttach for UI handlers.
  void AddComponent(Component* component);
  // The component in a slot (or appended position); null when out of range or empty.
  Component* GetComponent(unsigned slot) const;
  // The component in a slot if it is a T (run-time checked), else null.
  template <class T>
  T* GetComponentAs(unsigned slot) const {
    return dynamic_cast<T*>(GetComponent(slot));
  }
  // Deletes the component in a slot and empties it; nothing when out of range or empty.
  void RemoveComponent(unsigned slot);
  // Deletes a given component wherever it sits (its position becomes empty).
  void RemoveComponent(Component* component);
  // The first component, in vector order, that is a T or derives from it.
  template <class T>
  T* FindComponent() const {
    for (const auto& c : components) {
      if (T* found = dynamic_cast<T*>(c.get())) return found;
    }
    return nullptr;
  }
  // Every component that is a T, in vector order.
  template <class T>
  std::vector<T*> FindComponents() const {
    std::vector<T*> found;
    for (const auto& c : components) {
      if (T* t = dynamic_cast<T*>(c.get())) found.push_back(t);
    }
    return found;
  }

  const std::string& GetName() const { return name; }
  std::vector<std::unique_ptr<Component>>& GetComponents() { return components; }
  // The Transform of slot 0 (null only if game code removed it).
  Transform* GetTransform() const;

  // Called by the removal pass right before the object is deleted (patrol nodes unlink themselves).
  virtual void BeforeDestroy() {}

  std::string name;
  ObjectType type;
  std::vector<std::unique_ptr<Component>> components;
  bool destroy = false;
  bool visible = true;
  // Never given to another object of the run, even one built later at the same address: what
  // ObjectHandle tells objects apart by.
  const uint64_t serial;
};
