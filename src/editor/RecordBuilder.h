// Turning live objects back into level records (what a save writes), and the groups of values the
// Object Properties panel edits, each read from a live object and written to the object and its
// record together by a command.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "objects/LevelRecords.h"

class EditorCommand;
class GameObject;

// The type an object is saved as: its own type, except that a patrol node (a plain object) is a Node.
int32_t RecordTypeOf(const GameObject& object);

// The record of a live object: name, type, transform, texture or colour, text, links, filters,
// light, and the emitters the level added (the archetype's own emitters are not saved: the scene
// start builds them anyway, and saving them would add a copy at every save). `known` is the object's
// current record, or null; it supplies what the editor cannot read from the live object (an enemy's
// first patrol node, an escape zone's exit side, a screen-pinned button's place).
ObjectRecord MakeObjectRecord(const GameObject& object, const ObjectRecord* known);

// ---- value groups of the Object Properties panel ------------------------------------------------

struct TransformValues {
  float scale[2] = {0.0f, 0.0f};
  float rotation = 0.0f;
  float position[2] = {0.0f, 0.0f};
  bool operator==(const TransformValues&) const = default;
};
TransformValues ReadTransform(const GameObject& object);
std::unique_ptr<EditorCommand> SetTransformCommand(const std::string& name, const TransformValues& before,
                                                   const TransformValues& after);

struct LightValues {
  bool present = false;
  float intensity = 1.0f;
  float fallOffStart = 0.0f;
  float fallOffEnd = 100.0f;
  float color[3] = {1.0f, 1.0f, 1.0f};
  bool operator==(const LightValues&) const = default;
};
LightValues ReadLight(const GameObject& object);
std::unique_ptr<EditorCommand> SetLightCommand(const std::string& name, const LightValues& before,
                                               const LightValues& after);

// Every Filter component of the object, in component order.
std::vector<FilterRecord> ReadFilters(const GameObject& object);
std::unique_ptr<EditorCommand> SetFiltersCommand(const std::string& name, const std::vector<FilterRecord>& before,
                                                 const std::vector<FilterRecord>& after);

// Every particle emitter of the object, in component order.
std::vector<EmitterRecord> ReadEmitters(const GameObject& object);
// Changes emitter `index` (component order). A change of shape replaces the emitter.
std::unique_ptr<EditorCommand> SetEmitterCommand(const std::string& name, size_t index, const EmitterRecord& before,
                                                 const EmitterRecord& after);
// Where emitter `index`'s current period stands (its duration timer, counting down). The timer is
// the running emitter's, not the level's: the file has no place for it and every start of the scene
// sets it to the duration. False when there is no such emitter.
bool ReadEmitterTimer(const GameObject& object, size_t index, float* out);
std::unique_ptr<EditorCommand> SetEmitterTimerCommand(const std::string& name, size_t index, float before,
                                                      float after);

struct TextValues {
  std::string text;
  float size = 0.0f;
  uint32_t alignment = 1;
  bool operator==(const TextValues&) const = default;
};
// The object's own Text component, or the one of the text that labels it. False when it has none.
bool ReadText(const GameObject& object, TextValues* out);
std::unique_ptr<EditorCommand> SetTextCommand(const std::string& name, const TextValues& before,
                                              const TextValues& after);
// "Add Text Component": gives a button without a label an empty, centred one (sized to fit the
// button once it has a text), live and in the button's record. Undo takes the label away again.
std::unique_ptr<EditorCommand> AddLabelCommand(const std::string& name);

std::unique_ptr<EditorCommand> SetEscapeDirectionCommand(const std::string& name, EscapeDirection before,
                                                         EscapeDirection after);

// What an object's model shows: a picture (a texture of the level) or a flat colour.
struct ModelLookValues {
  std::string texture;  // empty: the colour is shown
  float color[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  std::vector<std::string> levelTextures;  // the level's texture list, which a new picture joins
  bool operator==(const ModelLookValues&) const = default;
};
// False when the object has no model of its own (slot 5).
bool ReadModelLook(const GameObject& object, ModelLookValues* out);
std::unique_ptr<EditorCommand> SetModelLookCommand(const std::string& name, const ModelLookValues& before,
                                                   const ModelLookValues& after);

// A button's handler as the UI panel edits it: whether it calls back, and where it is pinned on the
// screen (relative to the camera; saved as the record's translation of a pinned object).
struct UiHandlerValues {
  bool active = true;
  bool fixedToScreen = false;
  float screenPosition[3] = {0.0f, 0.0f, 0.0f};
  bool operator==(const UiHandlerValues&) const = default;
};
// False when the object has no UI handler.
bool ReadUiHandler(const GameObject& object, UiHandlerValues* out);
std::unique_ptr<EditorCommand> SetUiHandlerCommand(const std::string& name, const UiHandlerValues& before,
                                                   const UiHandlerValues& after);

// The level's own fields that the Project Manager edits; the ambient light applies at once.
struct LevelValues {
  int32_t foodGoal = 0, lives = 0;
  int32_t sRank = 0, aRank = 0, bRank = 0;
  float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  bool operator==(const LevelValues&) const = default;
};
LevelValues ReadLevelValues();
std::unique_ptr<EditorCommand> SetLevelValuesCommand(const LevelValues& before, const LevelValues& after);
