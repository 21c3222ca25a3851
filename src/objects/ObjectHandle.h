// A reference to a game object that knows when the object has gone. Menus, the heads-up display and
// the editor keep objects the object list owns and may destroy at any frame (the editor deletes
// them); an address alone cannot tell, since a new object may be built at a freed object's address.
// A handle keeps the address and the object's serial, and gives the object back only while an
// object at that address with that serial is in the list.
#pragma once

#include <cstdint>

class GameObject;

class ObjectHandle {
 public:
  ObjectHandle() = default;
  // Implicit, so that the objects a menu makes can be stored as they come from the factory.
  ObjectHandle(GameObject* object);  // NOLINT(google-explicit-constructor)

  // The object while it is in the object list; null once it has left it.
  GameObject* Get() const;
  // The same as Get(), so a handle passes wherever a possibly-null object pointer is taken.
  operator GameObject*() const { return Get(); }  // NOLINT(google-explicit-constructor)
  // The object it was made for, in the list or not; only to compare with, never to use.
  const GameObject* Address() const { return object_; }

 private:
  GameObject* object_ = nullptr;
  uint64_t serial_ = 0;
};
