// The archetype factory: one function per kind of level object. Each builds the GameObject with its
// archetype's scale, depth and components (models, kinematics, collision shape, filters, animation,
// emitters, sounds), adds it to the object list and logs the outcome. Two dispatchers sit in front:
// CreateObject (a type at a point: the editor's place tool, text objects) and CreateObjectFromRecord
// (a level file's object record, at scene start).
// Names are the archetype prefix and ObjectCounter(): CreateUI and CreateText take the number (past
// any name a listed object already holds) and add 1 themselves; the other factories leave the counter to their caller (the dispatchers add 1
// before building). Every function returns the new object (owned by the object list) or null.
#pragma once

#include <cstdint>
#include <string>

#include "objects/Collision.h"

class GameObject;
struct ObjectRecord;

GameObject* CreatePlayer(float x, float y);
GameObject* CreateFood(float x, float y);
GameObject* CreateEnemy(float x, float y);
GameObject* CreateWall(float x, float y);
GameObject* CreateVent(float x, float y);
GameObject* CreateCover(float x, float y);
GameObject* CreateGlass(float x, float y);
GameObject* CreateCollection(float x, float y);
// A background at (x, y) on the background layer; its drawn size is also (x, y) until a level record
// or the editor sets the scale.
GameObject* CreateBackground(float x, float y);
GameObject* CreateKillzone(float x, float y, float width, float height);
GameObject* CreateEscapeBarrier(float x, float y);
GameObject* CreateEscapeZone(float x, float y);
// A patrol point: a PathNode (plain type) with its outline and a small circle to pick it with.
GameObject* CreateNode(float x, float y);
// A button or panel on the button layer; numbers itself from the counter and adds 1.
GameObject* CreateUI(float x, float y, float width, float height);
// The screen-fade overlay (drawn in its colour; the scene start keeps it in its own slot).
GameObject* CreateTransition(float x, float y);
// The bulb a light hangs on; the Light component itself is attached separately.
GameObject* CreateLight(float x, float y);
// A label object on the text layer: glyphs of `label` of side `size` starting at (x, y). Numbers
// itself from the counter and adds 1. Not linked to anything: the caller links it.
GameObject* CreateText(float x, float y, float size, const std::string& label);

// Adds 1 to the counter, then builds an object of `type` at (x, y) the way the editor places it
// (most archetypes take their editor picture). Null for a type without an archetype.
GameObject* CreateObject(int type, float x, float y);

// What became of a level record.
enum class RecordStatus {
  Built,          // the object exists (and took the record's name)
  UnknownType,    // no archetype for the record's type
  Failed,         // the archetype could not be built (logged by the archetype)
  MalformedName,  // the name has no number after its first "_", or the number is out of range
};

// Adds 1 to the counter and builds the object a level record describes: its archetype at the record's
// position, then the record's rotation, scale, texture or colour and name; the counter continues
// from the number in the name. A malformed name builds nothing: it is logged at ERROR ("invalid stoi
// argument" / "stoi argument out of range") and reported through `status` so the level loader can
// treat the record as malformed. `status` may be null.
GameObject* CreateObjectFromRecord(const ObjectRecord& record, RecordStatus* status = nullptr);

// The number after the first "_" of an object name, read as a base-10 integer the way the game
// always has (leading blanks and a sign allowed, trailing characters ignored).
enum class NameNumber { Ok, Invalid, OutOfRange };
NameNumber ParseNameNumber(const std::string& name, int32_t* number);

// Where the parts that later modules own attach themselves. Each pointer is optional: while it is
// null the archetype is complete without that part. The attach functions are called at the point of
// the archetype's component order where the part belongs, with the object already named and holding
// the components listed before it.
struct FactoryHooks {
  // PlayerBehavior into slot 1 of a new player.
  void (*attachPlayerBehavior)(GameObject* player) = nullptr;
  // HumanBehavior into slot 1 of a new enemy. The archetype has already put the human tuning back to
  // its defaults.
  void (*attachHumanBehavior)(GameObject* enemy) = nullptr;
  void (*attachGlassBehavior)(GameObject* glass) = nullptr;
  void (*attachEscapeBarrierBehavior)(GameObject* barrier) = nullptr;
  void (*attachEscapeZoneBehavior)(GameObject* zone) = nullptr;
  // The food rule: the contact handler of every new food's CircleCollision.
  CollisionHandler foodRule = nullptr;
  // The UIHandler (slot 3) of a new UI object.
  void (*attachUIHandler)(GameObject* ui) = nullptr;
  // Pins a UI object built from a level record to the screen or lets it stay in the world, as the
  // record says.
  void (*setFixedToScreen)(GameObject* ui, bool fixed) = nullptr;
  // Gives a button its label: makes the handler's text object when it has none, sets its text, glyph
  // size and alignment and lays it out.
  void (*setButtonLabel)(GameObject* button, const std::string& text, float glyphSize, uint32_t alignment) = nullptr;
  // Clears the button handler's active flag, so clicks and hovers do nothing.
  void (*makeButtonInert)(GameObject* button) = nullptr;
  // Makes a press of the button run the named button action ("goto_main", "next_level" ...).
  void (*setButtonAction)(GameObject* button, const std::string& action) = nullptr;
};
FactoryHooks& GetFactoryHooks();

// Simulated out-of-memory for tests of the failure paths: while a flag is set, every build fails at
// that part (the object itself, its collision shape, its Sound) as if the allocation had failed.
struct FactoryFaults {
  bool object = false;
  bool collision = false;
  bool sound = false;
};
FactoryFaults& GetFactoryFaults();
