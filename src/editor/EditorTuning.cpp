#include "editor/EditorTuning.h"

#include <algorithm>

#include "audio/Sound.h"
#include "editor/EditorSession.h"
#include "editor/EditorState.h"
#include "editor/EditorWriteLog.h"
#include "editor/LevelSaver.h"
#include "objects/GameObject.h"
#include "objects/ObjectType.h"
#include "scenes/AttributeFile.h"
#include "scenes/Level.h"

int TuningTypeOf(const GameObject& object) {
  const std::string word = object.name.substr(0, object.name.find('_'));
  if (word == "Player") return static_cast<int>(ObjectType::Player);
  if (word == "Enemy") return static_cast<int>(ObjectType::Enemy);
  return 0;
}

namespace {

// The level's last attribute file of a section is the one whose values a start of the level leaves.
bool IsLastFileOfSection(const Level& level, const std::string& name, int section) {
  std::string last;
  for (const std::string& listed : level.attributes) {
    if (AttributeSectionOf(listed) == section) last = listed;
  }
  return !last.empty() && last == name;
}

}  // namespace

bool SaveAttributesFlow() {
  EditorState& s = Editor();
  GameObject* object = FirstSelected();
  const int type = object != nullptr ? TuningTypeOf(*object) : 0;
  s.attributeSaveFailed = type == 0 || !SaveAttributes(object, type, s.attributeBuffer);
  if (s.attributeSaveFailed) return false;
  s.attributeSaveOpen = false;
  if (Level* level = EditedLevel()) {
    LogEditorWrite("the attribute file", AttributeFilePath(s.attributeBuffer), SaveFileOf(*level));
    // The file a start of the level reads last for this section now holds the edited values.
    LevelSession& session = SessionOf(*level);
    if (IsLastFileOfSection(*level, s.attributeBuffer, type)) {
      (type == static_cast<int>(ObjectType::Player) ? session.playerTuningEdited : session.humanTuningEdited) = false;
    }
  }
  return true;
}

namespace {

struct TuningSnapshot {
  PlayerTuning player;
  HumanTuning human;
  std::vector<std::string> attributes;
};

TuningSnapshot TakeTuning() {
  TuningSnapshot t{PlayerTuningValues(), HumanTuningValues(), {}};
  if (const Level* level = EditedLevel()) t.attributes = level->attributes;
  return t;
}

// The level keeps the tuning its edits leave: a start of the level (Stop, a return to it) reads
// its attribute files again, and the editor puts these values back over them.
void KeepLevelTuning() {
  if (LevelSession* session = CurrentSession()) session->tuning = TuningValues::Current();
}

bool PutTuning(const TuningSnapshot& t) {
  PlayerTuningValues() = t.player;
  HumanTuningValues() = t.human;
  if (Level* level = EditedLevel()) level->attributes = t.attributes;
  KeepLevelTuning();
  return true;
}

}  // namespace

bool LoadAttributesFlow() {
  EditorState& s = Editor();
  const TuningSnapshot before = TakeTuning();
  if (!LoadAttributes(s.attributeBuffer)) {
    PutTuning(before);
    s.attributeLoadFailed = true;
    return false;
  }
  TuningSnapshot after = TakeTuning();
  // Listed once, and last: a start of the level reads the files in order, so the file just read
  // is the one whose values the level keeps.
  auto& names = after.attributes;
  names.erase(std::remove(names.begin(), names.end(), s.attributeBuffer), names.end());
  names.push_back(s.attributeBuffer);
  // The file has been read once already; redo only puts the values it gave back.
  RunEditorCommand(MakeSetCommand<TuningSnapshot>("Load Attributes", s.attributeBuffer, before, after, PutTuning));
  EditorHistory().EndMerge();
  // The player's sounds are registered again whatever the file says of them.
  GameObject* object = FirstSelected();
  if (object != nullptr && TuningTypeOf(*object) == static_cast<int>(ObjectType::Player)) {
    for (const SoundSlot& slot : PlayerSoundSlots()) ReloadSound(*object, slot);
  }
  s.attributeLoadFailed = false;
  s.attributeLoadOpen = false;
  return true;
}

namespace {

template <class Tuning>
void RunTuningEdit(const char* label, const Tuning& before, const Tuning& after, Tuning& (*values)(), bool player) {
  RunEditorCommand(MakeSetCommand<Tuning>(label, "", before, after, [values, player](const Tuning& t) {
    values() = t;
    KeepLevelTuning();
    if (LevelSession* session = CurrentSession()) (player ? session->playerTuningEdited : session->humanTuningEdited) = true;
    return true;
  }));
}

}  // namespace

void EditPlayerTuning(const PlayerTuning& before, const PlayerTuning& after) {
  RunTuningEdit("Player tuning", before, after, &PlayerTuningValues, true);
}

void EditHumanTuning(const HumanTuning& before, const HumanTuning& after) {
  RunTuningEdit("Human tuning", before, after, &HumanTuningValues, false);
}

const std::vector<SoundSlot>& PlayerSoundSlots() {
  static const std::vector<SoundSlot> slots = {
      {"Footstep", "event:/SFX/Player/PlayerFootsteps", "_footstep"},
      {"Footstep_Grab", "event:/SFX/Food/FoodGrab", "_footstep_grab"},
      {"Footstep_Vent", "event:/SFX/Player/PlayerFootstepsVent", "_footstep_vent"},
      {"Throw", "event:/SFX/Player/PlayerThrow", "_throw"},
      {"Throw_Init", "event:/SFX/Player/PlayerWindup", "_throw_init"},
      {"Drop", "event:/SFX/Food/FoodDrop", "_drop"},
  };
  return slots;
}

void ReloadSound(GameObject& object, const SoundSlot& slot) {
  Sound* sound = object.FindComponent<Sound>();
  if (sound == nullptr) return;
  const std::string name = object.name + slot.suffix;
  sound->RemoveSound(name);
  sound->AddSound(name, slot.event);
  sound->LoadSound(name);
}
