#include "objects/ObjectHandle.h"

#include <algorithm>

#include "objects/GameObject.h"
#include "objects/ObjectManager.h"

ObjectHandle::ObjectHandle(GameObject* object) : object_(object), serial_(object != nullptr ? object->serial : 0) {}

GameObject* ObjectHandle::Get() const {
  if (object_ == nullptr) return nullptr;
  const auto& list = Objects();
  // Only an object found in the list is read: the address alone may name freed memory.
  auto it = std::find(list.begin(), list.end(), object_);
  return it != list.end() && (*it)->serial == serial_ ? *it : nullptr;
}
