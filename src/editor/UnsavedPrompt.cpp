#include "editor/UnsavedPrompt.h"

#include <vector>

#include "core/AppHooks.h"
#include "editor/EditorFiles.h"
#include "editor/EditorSession.h"
#include "editor/EditorState.h"
#include "editor/LevelSaver.h"
#include "scenes/AttributeFile.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"

namespace {

struct PromptModule {
  bool open = false;
  LeaveReason reason = LeaveReason::Load;
  int heldScene = -1;        // the scene change waiting for the answer
  int allowedRequest = -1;   // a scene request of the editor's own
  bool saveAsWaiting = false;  // "Save" opened Save As; the action goes on after it
  bool quitConfirmed = false;
  std::string failure;
};

PromptModule& Module() {
  static PromptModule module;
  return module;
}

void Open(LeaveReason reason) {
  PromptModule& m = Module();
  m.open = true;
  m.reason = reason;
  m.saveAsWaiting = false;
  m.failure.clear();
}

// What was asked for happens now.
void GoOn() {
  PromptModule& m = Module();
  m.open = false;
  m.saveAsWaiting = false;
  m.failure.clear();
  switch (m.reason) {
    case LeaveReason::Load:
      StartLoading();
      break;
    case LeaveReason::SceneChange:
      if (m.heldScene >= 0) {
        AllowSceneRequest(m.heldScene);
        SceneState().requestedScene = m.heldScene;
      }
      m.heldScene = -1;
      break;
    case LeaveReason::Quit:
      m.quitConfirmed = true;
      RequestQuit();
      break;
  }
}

// Saves every level a quit would leave with edits; the shown level without a file opens Save As.
bool SaveEveryEditedLevel() {
  PromptModule& m = Module();
  for (Level* level : EditedLevels()) {
    if (level == EditedLevel()) {
      if (SaveFileOf(*level).empty()) {
        m.saveAsWaiting = true;
        PressSaveAs();
        return false;
      }
      if (!EditorSaveLevel()) {
        m.failure = "Failed to save File: " + level->path + "\n" + Editor().saveFailure;
        return false;
      }
      continue;
    }
    std::string why;
    if (!WriteEditedLevel(*level, SaveFileOf(*level), SaveFileOf(*level), false, &why)) {
      m.failure = "Failed to save " + SceneLabel(*level) + ": " + why;
      return false;
    }
  }
  return true;
}

}  // namespace

bool AskBeforeLeaving(LeaveReason reason) {
  const bool unsaved = reason == LeaveReason::Quit ? !EditedLevels().empty() : LevelEdited();
  if (!unsaved) return true;
  Open(reason);
  return false;
}

void HoldSceneChange() {
  PromptModule& m = Module();
  SceneManagerState& scenes = SceneState();
  if (scenes.currentScene == m.allowedRequest) m.allowedRequest = -1;
  const int wanted = scenes.requestedScene;
  if (wanted == scenes.currentScene || wanted == kRestartRequest || wanted == m.allowedRequest) return;
  if (!Editor().stopped || !LevelEdited()) return;
  m.heldScene = wanted;
  scenes.requestedScene = scenes.currentScene;
  // A scene that asks again while the question is open (a splash screen's exit) is held again.
  if (!m.open) Open(LeaveReason::SceneChange);
}

void AllowSceneRequest(int sceneIndex) { Module().allowedRequest = sceneIndex; }

bool EditorAllowsQuit() {
  if (Module().quitConfirmed) return true;
  if (Module().open && Module().reason == LeaveReason::Quit) return false;
  return AskBeforeLeaving(LeaveReason::Quit);
}

bool UnsavedPromptOpen() { return Module().open; }

std::string UnsavedPromptText() {
  const PromptModule& m = Module();
  std::string text;
  if (m.reason == LeaveReason::Quit) {
    text = "These levels have unsaved changes:";
    for (Level* level : EditedLevels()) text += "\n  " + SceneLabel(*level) + " (" + level->path + ")";
    text += "\nSave them before quitting?";
    return text;
  }
  const Level* level = EditedLevel();
  text = (level != nullptr ? SceneLabel(*level) : std::string("The level")) + " has unsaved changes.";
  text += m.reason == LeaveReason::Load ? "\nSave them before loading another level?"
                                        : "\nSave them before the scene changes?";
  return text;
}

const std::string& UnsavedPromptFailure() { return Module().failure; }

void AnswerSave() {
  PromptModule& m = Module();
  m.failure.clear();
  if (m.reason == LeaveReason::Quit) {
    if (SaveEveryEditedLevel()) GoOn();
    return;
  }
  const Level* level = EditedLevel();
  if (level != nullptr && SaveFileOf(*level).empty()) {
    m.saveAsWaiting = true;
    PressSaveAs();
    return;
  }
  if (EditorSaveLevel()) {
    GoOn();
  } else {
    m.failure = "Failed to save File: " + (level != nullptr ? level->path : std::string()) + "\n" +
                Editor().saveFailure;
  }
}

void AnswerDiscard() {
  PromptModule& m = Module();
  if (m.reason != LeaveReason::Quit) {
    if (Level* level = EditedLevel()) {
      DiscardEdits(*level);
      // The tuning goes back to what the level's files hold, and the objects to its records.
      for (const std::string& name : level->attributes) LoadAttributes(name);
      ClearSelection();
      Editor().pendingNodes.clear();
      RequestRestart();
    }
  }
  GoOn();
}

void AnswerCancel() {
  PromptModule& m = Module();
  m.open = false;
  m.saveAsWaiting = false;
  m.heldScene = -1;
  m.failure.clear();
}

void WithdrawSceneChangeQuestion() {
  if (Module().open && Module().reason == LeaveReason::SceneChange) AnswerCancel();
}

void ContinueAfterSaveAs() {
  PromptModule& m = Module();
  if (!m.open || !m.saveAsWaiting) return;
  m.saveAsWaiting = false;
  if (m.reason == LeaveReason::Quit) {
    AnswerSave();  // the other levels with edits are saved too
  } else {
    GoOn();
  }
}

void ResetUnsavedPrompt() { Module() = PromptModule{}; }
