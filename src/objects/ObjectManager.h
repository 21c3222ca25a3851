// The one list of live objects of the current scene and the per-frame object pass. The list owns its
// objects; list order is the update order and the draw order. The transition overlay (the screen
// fade) lives outside the list and survives scene changes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class GameObject;

// Appends an object and takes ownership. Every factory calls it once the object is complete.
void AddObject(GameObject* object);
// First object in list order whose name equals `name`, or (byPrefix) whose name cut before its first
// "_" equals it; null when none.
GameObject* FindObject(const std::string& name, bool byPrefix = false);
// First object whose slot-6 collision shape contains the point; null when none.
GameObject* FindObjectAt(float x, float y);
// Takes the first object with that name out of the list without deleting it. If the list has none
// and the transition overlay has that name, the overlay is deleted and its slot emptied.
void RemoveObject(const std::string& name);
// Takes that very object out of the list (or out of the transition overlay slot) without deleting
// it; nothing happens when it is in neither.
void RemoveObject(GameObject* object);
// When the object is marked for destruction: takes it out of the list, destroys its button label
// with it, unlinks it from its path, deletes it and returns true. Otherwise returns false.
bool DestroyIfMarked(GameObject* object);
// The frame pass: components draw then update in list order (collision shapes run their pair tests
// instead; the floor marks are drawn right after the last background), then button navigation, then the
// screen marks, then the transition overlay, then the removal of marked objects.
// dt in seconds, at most 0.025, 0 while paused.
void UpdateObjects(float dt);
// Deletes every object of the list (not the transition overlay).
void ClearObjects();

// Read access to the list (game code walks it; only this module changes it).
const std::vector<GameObject*>& Objects();

// Counts changes of the list and of objects' components (adding, taking out, clearing), so that
// indexes built over the list know when to start again.
uint64_t ObjectListVersion();
void NoteObjectListChanged();

// The transition overlay slot. Setting it takes ownership; the old overlay is deleted.
GameObject* TransitionOverlay();
void SetTransitionOverlay(GameObject* overlay);

// The running number the factories use for object names; -1 at each scene start.
int32_t& ObjectCounter();

// Hooks filled in by the modules that own those rules (button labels, patrol paths, navigation).
struct ObjectPassHooks {
  // The separate text object that labels a button, or null.
  GameObject* (*linkedLabel)(GameObject* object) = nullptr;
  // The removal pass asks this first for each object: an enemy whose patrol node is marked moves on
  // to the node's successor and the node is destroyed instead. Returns true when it handled the
  // object, with *removed telling whether something left the list.
  bool (*enemyPatrolRemoval)(GameObject* object, bool* removed) = nullptr;
  // The focus step of the on-screen buttons, after the component pass.
  void (*navigateButtons)() = nullptr;
  // Draws on the floor: during the component pass, after the leading Background objects and before
  // the first object of another type (at the end of the pass when there is none).
  void (*drawFloorMarks)() = nullptr;
  // Draws over every object: after the component pass, before the transition overlay.
  void (*drawScreenMarks)() = nullptr;
};
ObjectPassHooks& GetObjectPassHooks();
