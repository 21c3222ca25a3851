#include "editor/EditorModel.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "audio/AudioSystem.h"
#include "core/EditorLink.h"
#include "editor/Autosave.h"
#include "editor/Clipboard.h"
#include "editor/EditorFiles.h"
#include "editor/EditorSession.h"
#include "editor/EditorState.h"
#include "editor/LevelSaver.h"
#include "editor/UnsavedPrompt.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"

namespace {

// Scenes loaded by the editor that are not one of the game's own files get ids from here on.
constexpr int kFirstEditorSceneId = 100;

int NextEditorSceneId() {
  int id = kFirstEditorSceneId;
  for (const auto& scene : SceneList()) id = std::max(id, scene->sceneId + 1);
  return id;
}

// A level read again from one of the game's own files keeps that scene's id, so it plays as that
// scene (a level stays a level); any other file gets an id of its own.
int SceneIdForPath(const std::string& path) {
  for (const auto& scene : SceneList()) {
    if (LevelPathFor(scene->path) == LevelPathFor(path)) return scene->sceneId;
  }
  return NextEditorSceneId();
}

}  // namespace

void ResetEditor() {
  ResetEditorState();
  ForgetSessions();
  ResetAutosave();
  ResetUnsavedPrompt();
  ClearClipboard();
}

void BeginEditorPass() {
  EditorState& s = Editor();
  const Level* level = EditedLevel();
  if (level != s.shownLevel) {
    // Names selected in another level mean other objects here.
    ClearSelection();
    s.pendingNodes.clear();
    s.placingNodes = false;
    s.shownLevel = level;
  }
  if (LevelSession* session = CurrentSession(); session != nullptr && session->tuning) session->tuning->Apply();
  HoldSceneChange();
}

bool AnyDialogOpen() {
  const EditorState& s = Editor();
  return s.saveDialogOpen || s.loadInProgress || s.attributeSaveOpen || s.attributeLoadOpen || s.errorBoxOpen ||
         !s.texturePickFor.empty() || s.attributePickOpen || s.restoreOffered || UnsavedPromptOpen();
}

// ---- run and stop -----------------------------------------------------------------------------------

void RunLevel() {
  // A run can crash or hang where editing cannot: the level as edited is kept first.
  if (LevelEdited()) WriteAutosave();
  // The question about leaving the stopped scene is withdrawn: the scene runs on, edits kept.
  WithdrawSceneChangeQuestion();
  ClearSelection();
  Editor().stopped = false;
  GetEditorLink().stopped = false;
  EditorHistory().EndMerge();
}

void StopLevel() {
  Editor().stopped = true;
  GetEditorLink().stopped = true;
  Editor().pendingNodes.clear();
  if (Level* level = EditedLevel()) {
    for (const auto& [name, eventPath] : level->music) StopEvent(name);
  }
  RequestRestart();
}

// ---- load and Save As -----------------------------------------------------------------------------

bool EditorLoadLevel() {
  ClearSelection();
  Editor().pendingNodes.clear();
  std::unique_ptr<Level> level = LoadLevel(Editor().pathBuffer);
  if (level == nullptr) return false;
  // A file some scene already shows is loaded into that scene (and every scene of the file), so the
  // level keys, the menus and a later save all reach the one copy. A scene left with unsaved edits
  // keeps them: it is newer than the file, and it is shown as it is.
  Level* scene = nullptr;
  for (const auto& existing : SceneList()) {
    if (!SameFile(existing->path, level->path)) continue;
    if (existing.get() == EditedLevel() || !SessionOf(*existing).Edited()) {
      LevelContent::Of(*level).PutInto(*existing);
      existing->music = level->music;
      StartSessionOver(*existing, true);
    }
    if (scene == nullptr || existing.get() == EditedLevel()) scene = existing.get();
  }
  if (scene == nullptr) {
    const int id = SceneIdForPath(level->path);
    scene = AddScene(std::move(level), id);
  }
  AllowSceneRequest(scene->sceneIndex);
  if (scene == EditedLevel()) {
    RequestRestart();
  } else {
    RequestScene(scene);
  }
  return true;
}

bool SaveDialogSave() {
  EditorState& s = Editor();
  Level* level = EditedLevel();
  s.replaceAsked = false;
  s.saveFailure = level != nullptr ? LevelNameProblem(s.pathBuffer) : std::string("There is no level to save.");
  if (!s.saveFailure.empty()) {
    s.saveFailed = true;
    return false;
  }
  const std::string path = LevelPathFor(s.pathBuffer);
  std::error_code error;
  if (!SameFile(path, level->path) && std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
    s.replaceAsked = true;
    s.saveFailed = false;
    return false;
  }
  return ConfirmReplace();
}

bool ConfirmReplace() {
  EditorState& s = Editor();
  s.replaceAsked = false;
  if (SaveLevelAs(LevelPathFor(s.pathBuffer))) {
    s.saveDialogOpen = false;
    s.saveFailed = false;
    ContinueAfterSaveAs();
    return true;
  }
  s.saveFailed = true;
  return false;
}

void CancelReplace() { Editor().replaceAsked = false; }

void PressLoad() {
  if (AskBeforeLeaving(LeaveReason::Load)) StartLoading();
}

bool LoadPicked(const std::string& path) {
  EditorState& s = Editor();
  // A picked path is used whole: only typed text is held to the field's length.
  s.pathBuffer = path;
  if (EditorLoadLevel()) {
    s.loadInProgress = false;
    return true;
  }
  ShowErrorBox("Could not open the file", s.errorPosition[0], s.errorPosition[1]);
  return false;
}
