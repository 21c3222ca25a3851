// The shared player and human tuning as the editor edits it, the attribute files it is saved to and
// loaded from, and the player's sound slots. A tuning edit is a step of the level's history and an
// edit of the level (its attribute files); the level keeps the tuning its edits leave.
#pragma once

#include <string>
#include <vector>

#include "scenes/HumanTuning.h"
#include "scenes/PlayerTuning.h"

class GameObject;

// The attribute section an object's name stands for: 1 player, 3 enemy, 0 none.
int TuningTypeOf(const GameObject& object);
bool SaveAttributesFlow();  // the "Save Attributes" dialog's button
// The "Load Attributes" dialog's button: reads the file, lists it last among the level's attribute
// files (once), and registers a selected player's six sounds again.
bool LoadAttributesFlow();
// An edit of the shared player or human tuning in Object Properties, as one undoable step that
// counts as an edit of the level (its attribute files).
void EditPlayerTuning(const PlayerTuning& before, const PlayerTuning& after);
void EditHumanTuning(const HumanTuning& before, const HumanTuning& after);
// The player's six sound slots (label, event, name suffix).
struct SoundSlot {
  const char* label;
  const char* event;
  const char* suffix;
};
const std::vector<SoundSlot>& PlayerSoundSlots();
// A slot's "Load": registers the slot's event again under the object's name and the suffix.
void ReloadSound(GameObject& object, const SoundSlot& slot);
