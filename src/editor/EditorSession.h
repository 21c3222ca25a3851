// Every level the editor has shown keeps an editing session of its own: its undo history, the
// history's revision when its file and its backup last held the level, the content of its file
// (what "Discard" puts back), and the tuning its edits left. A scene change therefore never lets
// one level's undo reach another level's objects, and a level left while it runs keeps its
// unsaved edits and its "unsaved" mark until the designer comes back, saves or discards them.
// Sessions are found by the level they belong to; one whose level has left the scene list is
// forgotten.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "editor/EditorCommands.h"
#include "objects/LevelRecords.h"
#include "scenes/HumanTuning.h"
#include "scenes/PlayerTuning.h"

struct Level;

// What a level file holds, apart from the level's scene state.
struct LevelContent {
  std::vector<std::string> textures;
  std::vector<ObjectRecord> objects;
  float ambient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  std::vector<TileRecord> tiles;
  std::vector<std::string> attributes;
  uint32_t lives = 0, foodGoal = 0;
  float sRank = 0.0f, aRank = 0.0f, bRank = 0.0f;

  static LevelContent Of(const Level& level);
  void PutInto(Level& level) const;
};

// The shared player and human tuning, taken together.
struct TuningValues {
  PlayerTuning player;
  HumanTuning human;
  static TuningValues Current();
  void Apply() const;
};

struct LevelSession {
  CommandHistory history;
  uint64_t savedRevision = 0;   // the history's revision when the file last held the level
  uint64_t backupRevision = 0;  // ... and when the backup last did
  LevelContent saved;           // the file's content at the last save or load
  // The tuning this level's edits left, put back after every start of the level (which reads its
  // attribute files again); none while its tuning has not been edited.
  std::optional<TuningValues> tuning;
  // The tuning sections edited since the level was last saved: a save writes them to the level's
  // attribute files.
  bool playerTuningEdited = false;
  bool humanTuningEdited = false;

  bool Edited() const { return history.Revision() != savedRevision || playerTuningEdited || humanTuningEdited; }
};

// The level's session, made (with the level's content as its file's) the first time it is asked for.
LevelSession& SessionOf(const Level& level);
// The session of the edited level; null without a scene list.
LevelSession* CurrentSession();
// The levels of the scene list whose sessions hold edits their files do not, in list order.
std::vector<Level*> EditedLevels();
// The level's file now holds what it shows: the history's revision and the content are remembered
// and the tuning counts as saved.
void MarkSaved(const Level& level);
// Forgets the level's edits: its records and fields go back to its file's content, its history
// is emptied and it counts as saved. The caller reads its attribute files again.
void DiscardEdits(Level& level);
// A new history for the level, which now shows `content` (a load or a restored backup); `saved`
// says whether its file holds it.
void StartSessionOver(Level& level, bool saved);
// Every session is dropped (a fresh editor).
void ForgetSessions();
