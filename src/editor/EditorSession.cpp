#include "editor/EditorSession.h"

#include <algorithm>
#include <memory>

#include "scenes/Level.h"
#include "scenes/SceneManager.h"

namespace {

struct SessionModule {
  // By level; a level is never copied or moved while it is in the scene list.
  std::vector<std::pair<const Level*, std::unique_ptr<LevelSession>>> sessions;
};

SessionModule& Module() {
  static SessionModule module;
  return module;
}

bool InSceneList(const Level* level) {
  for (const auto& scene : SceneList()) {
    if (scene.get() == level) return true;
  }
  return false;
}

// A session whose level left the list is dropped, so a new level at the same address starts afresh.
void ForgetLevelsGone() {
  auto& sessions = Module().sessions;
  sessions.erase(std::remove_if(sessions.begin(), sessions.end(), [](const auto& s) { return !InSceneList(s.first); }),
                 sessions.end());
}

}  // namespace

LevelContent LevelContent::Of(const Level& level) {
  LevelContent c;
  c.textures = level.textures;
  c.objects = level.objects;
  std::copy(level.ambient, level.ambient + 4, c.ambient);
  c.tiles = level.tiles;
  c.attributes = level.attributes;
  c.lives = level.lives;
  c.foodGoal = level.foodGoal;
  c.sRank = level.sRank;
  c.aRank = level.aRank;
  c.bRank = level.bRank;
  return c;
}

void LevelContent::PutInto(Level& level) const {
  level.textures = textures;
  level.objects = objects;
  std::copy(ambient, ambient + 4, level.ambient);
  level.tiles = tiles;
  level.attributes = attributes;
  level.lives = lives;
  level.foodGoal = foodGoal;
  level.sRank = sRank;
  level.aRank = aRank;
  level.bRank = bRank;
}

TuningValues TuningValues::Current() { return {PlayerTuningValues(), HumanTuningValues()}; }

void TuningValues::Apply() const {
  PlayerTuningValues() = player;
  HumanTuningValues() = human;
}

LevelSession& SessionOf(const Level& level) {
  auto& sessions = Module().sessions;
  for (auto& [owner, session] : sessions) {
    if (owner == &level) return *session;
  }
  ForgetLevelsGone();
  auto session = std::make_unique<LevelSession>();
  session->saved = LevelContent::Of(level);
  session->savedRevision = session->backupRevision = session->history.Revision();
  sessions.emplace_back(&level, std::move(session));
  return *sessions.back().second;
}

LevelSession* CurrentSession() {
  const Level* level = EditedLevel();
  return level != nullptr ? &SessionOf(*level) : nullptr;
}

std::vector<Level*> EditedLevels() {
  std::vector<Level*> edited;
  for (const auto& scene : SceneList()) {
    for (const auto& [owner, session] : Module().sessions) {
      if (owner == scene.get() && session->Edited()) edited.push_back(scene.get());
    }
  }
  return edited;
}

void MarkSaved(const Level& level) {
  LevelSession& s = SessionOf(level);
  s.savedRevision = s.history.Revision();
  s.saved = LevelContent::Of(level);
  s.playerTuningEdited = s.humanTuningEdited = false;
}

void DiscardEdits(Level& level) {
  LevelSession& s = SessionOf(level);
  s.saved.PutInto(level);
  s.history.Clear();
  s.savedRevision = s.backupRevision = s.history.Revision();
  s.tuning.reset();
  s.playerTuningEdited = s.humanTuningEdited = false;
}

void StartSessionOver(Level& level, bool saved) {
  LevelSession& s = SessionOf(level);
  s.history.Clear();
  s.tuning.reset();
  s.playerTuningEdited = s.humanTuningEdited = false;
  s.backupRevision = s.history.Revision();
  if (saved) {
    s.saved = LevelContent::Of(level);
    s.savedRevision = s.history.Revision();
  } else {
    // What the level shows is not in its file: the revision the file matched is behind.
    s.savedRevision = s.history.Revision() - 1;
  }
}

void ForgetSessions() { Module().sessions.clear(); }
