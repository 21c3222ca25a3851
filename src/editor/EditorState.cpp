#include "editor/EditorState.h"

#include <algorithm>
#include <cmath>

#include "editor/EditorSession.h"
#include "editor/RecordBuilder.h"
#include "objects/GameObject.h"
#include "scenes/Level.h"

namespace {

struct EditorModule {
  EditorState state;
  CommandHistory noLevelHistory;  // used only while there is no scene list
  uint64_t (*editSource)() = nullptr;
};

EditorModule& Module() {
  static EditorModule module;
  return module;
}

}  // namespace

EditorState& Editor() { return Module().state; }

CommandHistory& EditorHistory() {
  LevelSession* session = CurrentSession();
  return session != nullptr ? session->history : Module().noLevelHistory;
}

void ResetEditorState() {
  Module().state = EditorState{};
  Module().editSource = nullptr;
  Module().noLevelHistory.Clear();
}

namespace {

// After a step of the history, what the editor holds by name must name live objects again.
void TidyAfterHistoryStep() {
  EditorState& s = Editor();
  auto gone = [](const std::string& name) { return FindLiveObject(name) == nullptr; };
  s.selection.erase(std::remove_if(s.selection.begin(), s.selection.end(), gone), s.selection.end());
  s.pendingNodes.erase(std::remove_if(s.pendingNodes.begin(), s.pendingNodes.end(), gone), s.pendingNodes.end());
  s.dragOffsets.clear();
  // The patrol list is read again from the links the step left.
  s.shownEnemy.clear();
}

}  // namespace

bool UndoEdit() {
  if (!Editor().stopped || !EditorHistory().Undo()) return false;
  TidyAfterHistoryStep();
  return true;
}

bool RedoEdit() {
  if (!Editor().stopped || !EditorHistory().Redo()) return false;
  TidyAfterHistoryStep();
  return true;
}

bool LevelEdited() {
  const LevelSession* session = CurrentSession();
  return session != nullptr && session->Edited();
}

float SnapToGrid(float value, float grid) {
  if (!(grid > 0.0f)) return value;
  return std::round(value / grid) * grid;
}

bool RunEditorCommand(std::unique_ptr<EditorCommand> command) {
  CommandHistory& history = EditorHistory();
  if (Module().editSource != nullptr) history.SetSource(Module().editSource());
  return history.Run(std::move(command));
}

void SetEditSourceReader(uint64_t (*reader)()) { Module().editSource = reader; }

// ---- selection ------------------------------------------------------------------------------------

void ClearSelection() {
  Editor().selection.clear();
  Editor().dragOffsets.clear();
  Editor().shownEnemy.clear();
}

void SelectObject(const std::string& name, bool add) {
  if (!add) ClearSelection();
  if (!IsSelected(name)) Editor().selection.push_back(name);
}

bool IsSelected(const std::string& name) {
  const auto& sel = Editor().selection;
  return std::find(sel.begin(), sel.end(), name) != sel.end();
}

GameObject* FirstSelected() {
  const auto& sel = Editor().selection;
  return sel.empty() ? nullptr : FindLiveObject(sel.front());
}

// ---- error box and records ------------------------------------------------------------------------

void ShowErrorBox(const std::string& message, float x, float y) {
  EditorState& s = Editor();
  s.errorMessage = message;
  s.errorPosition[0] = x;
  s.errorPosition[1] = y;
  s.errorBoxOpen = true;
}

void SyncRecordsFromObjects(Level& level) {
  // The records are rebuilt from the objects that belong to the level (those with a record): the
  // highlight, the heads-up display and the menus' objects are made by the game at every start and
  // must not enter the file. Records without a live object stay.
  for (ObjectRecord& record : level.objects) {
    if (GameObject* object = FindLiveObject(record.id)) record = MakeObjectRecord(*object, &record);
  }
}
