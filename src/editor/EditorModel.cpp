#include "editor/EditorModel.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>

#include "audio/AudioSystem.h"
#include "audio/Sound.h"
#include "core/EditorLink.h"
#include "editor/Autosave.h"
#include "editor/Clipboard.h"
#include "editor/EditorSession.h"
#include "editor/FileExplorer.h"
#include "editor/LevelSaver.h"
#include "editor/RecordBuilder.h"
#include "editor/UnsavedPrompt.h"
#include "graphics/ParticleEmitter.h"
#include "graphics/Texture.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "platform/GameFolders.h"
#include "platform/ImageDecoder.h"
#include "scenes/AttributeFile.h"
#include "scenes/HumanTuning.h"
#include "scenes/Level.h"
#include "scenes/PlayerTuning.h"
#include "scenes/SceneManager.h"
#include "widgets/WriteNotice.h"

namespace {

// A press that moves no more than this in x and in y is a click, not a drag.
constexpr float kDragThreshold = 10.0f;
// Scenes loaded by the editor that are not one of the game's own files get ids from here on.
constexpr int kFirstEditorSceneId = 100;
constexpr size_t kBufferLength = 255;
constexpr const char* kLevelFolder = "./Assets/Levels/";

struct EditorModule {
  EditorState state;
  CommandHistory noLevelHistory;  // used only while there is no scene list
  uint64_t (*editSource)() = nullptr;
};

EditorModule& Module() {
  static EditorModule module;
  return module;
}

bool IsNode(const std::string& name) {
  const ObjectRecord* r = FindRecord(name);
  return r != nullptr && r->type == static_cast<int32_t>(ObjectType::Node);
}

void AppendPending(const std::string& name) {
  auto& pending = Editor().pendingNodes;
  if (std::find(pending.begin(), pending.end(), name) == pending.end()) pending.push_back(name);
}

void TakeDragOffsets(float x, float y) {
  EditorState& s = Editor();
  s.dragOffsets.clear();
  for (const std::string& name : s.selection) {
    GameObject* o = FindLiveObject(name);
    const Transform* t = o != nullptr ? o->GetTransform() : nullptr;
    s.dragOffsets.push_back({t != nullptr ? t->position[0] - x : 0.0f, t != nullptr ? t->position[1] - y : 0.0f});
  }
}

bool MovedPastThreshold(const PointerInput& in) {
  const EditorState& s = Editor();
  return std::fabs(in.worldX - s.pressX) > kDragThreshold || std::fabs(in.worldY - s.pressY) > kDragThreshold;
}

void SelectPress(const PointerInput& in) {
  EditorState& s = Editor();
  GameObject* hit = ObjectUnder(in.worldX, in.worldY);
  if (hit == nullptr) {
    // With Ctrl held the band adds to what is selected.
    if (!in.ctrl) {
      ClearSelection();
      s.pendingNodes.clear();
    }
    s.banding = true;
    s.band[0] = s.band[2] = in.worldX;
    s.band[1] = s.band[3] = in.worldY;
  } else if (!IsSelected(hit->name)) {
    SelectObject(hit->name, in.ctrl);
    if (s.placingNodes && IsNode(hit->name)) AppendPending(hit->name);
  }
  TakeDragOffsets(in.worldX, in.worldY);
}

void SelectDrag(const PointerInput& in) {
  EditorState& s = Editor();
  if (s.banding) {
    s.band[2] = in.worldX;
    s.band[3] = in.worldY;
    return;
  }
  s.dragUnsnapped = s.dragUnsnapped || in.shift;
  if (s.selection.empty() || !MovedPastThreshold(in)) return;
  std::vector<MoveObjectsCommand::Move> moves;
  for (size_t i = 0; i < s.selection.size() && i < s.dragOffsets.size(); ++i) {
    GameObject* o = FindLiveObject(s.selection[i]);
    const Transform* t = o != nullptr ? o->GetTransform() : nullptr;
    if (t == nullptr) continue;
    moves.push_back({o->name, t->position[0], t->position[1], in.worldX + s.dragOffsets[i][0],
                     in.worldY + s.dragOffsets[i][1]});
  }
  // The first object lands on the grid and the others keep their places around it.
  if (s.snap && !s.dragUnsnapped && !moves.empty()) {
    const float dx = SnapToGrid(moves.front().toX, s.gridSize) - moves.front().toX;
    const float dy = SnapToGrid(moves.front().toY, s.gridSize) - moves.front().toY;
    for (MoveObjectsCommand::Move& m : moves) {
      m.toX += dx;
      m.toY += dy;
    }
  }
  if (!moves.empty()) RunEditorCommand(std::make_unique<MoveObjectsCommand>(std::move(moves)));
}

void SelectRelease(const PointerInput& in) {
  EditorState& s = Editor();
  const bool band = s.banding && MovedPastThreshold(in);
  s.banding = false;
  if (band) {
    for (GameObject* o : ObjectsInside(s.band[0], s.band[1], in.worldX, in.worldY)) {
      if (IsSelected(o->name)) continue;
      SelectObject(o->name, true);
      // Nodes taken by the band join a path being gathered, as clicked ones do.
      if (s.placingNodes && IsNode(o->name)) AppendPending(o->name);
    }
    EditorHistory().EndMerge();
    return;
  }
  if (!in.ctrl && !MovedPastThreshold(in)) ClearSelection();
  if (GameObject* hit = ObjectUnder(in.worldX, in.worldY)) {
    if (!IsSelected(hit->name)) SelectObject(hit->name, true);
  }
  EditorHistory().EndMerge();
}

void PlacePress(const PointerInput& in) {
  EditorState& s = Editor();
  float x = in.worldX, y = in.worldY;
  if (s.placeType == static_cast<int>(ObjectType::UI)) {
    x -= in.cameraX;
    y -= in.cameraY;
  }
  if (s.snap) {
    x = SnapToGrid(x, s.gridSize);
    y = SnapToGrid(y, s.gridSize);
  }
  auto command = std::make_unique<PlaceObjectCommand>(s.placeType, x, y);
  PlaceObjectCommand* place = command.get();
  if (!RunEditorCommand(std::move(command))) return;
  const std::string name = place->PlacedName();
  EditorHistory().EndMerge();
  ClearSelection();
  SelectObject(name, false);
  if (s.placeType == static_cast<int>(ObjectType::Node) && s.placingNodes) AppendPending(name);
}

void DeleteObjectNamed(const std::string& name) {
  auto& sel = Editor().selection;
  sel.erase(std::remove(sel.begin(), sel.end(), name), sel.end());
  auto& pending = Editor().pendingNodes;
  pending.erase(std::remove(pending.begin(), pending.end(), name), pending.end());
  RunEditorCommand(std::make_unique<DeleteObjectCommand>(name));
  EditorHistory().EndMerge();
}

void DeletePress(const PointerInput& in) {
  if (GameObject* hit = ObjectUnder(in.worldX, in.worldY)) DeleteObjectNamed(hit->name);
}

// The pending list from an enemy's path: the first node, then its successors until the links end or
// come back to the first node (the path is then circular).
void ReadPathInto(const std::string& enemy) {
  EditorState& s = Editor();
  s.pendingNodes.clear();
  const ObjectRecord* r = FindRecord(enemy);
  if (r == nullptr) return;
  std::string first = r->nextId;
  std::string id = first;
  bool circular = false;
  while (!id.empty() && IsNode(id)) {
    if (std::find(s.pendingNodes.begin(), s.pendingNodes.end(), id) != s.pendingNodes.end()) {
      circular = id == first;
      break;
    }
    s.pendingNodes.push_back(id);
    id = FindRecord(id)->nextId;
  }
  s.circularPath = circular;
}

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

// True when the file decodes as the texture loader would decode it.
bool IsPictureFile(const std::string& path) {
  const std::string extension = std::filesystem::path(path).extension().string();
  if (extension == ".tga") return ReadTga32File(path, platform::kMaxImageSide).has_value();
  return platform::DecodeImageFile(path, 1).has_value();
}

std::string Trimmed(std::string text) {
  if (text.size() > kBufferLength) text.resize(kBufferLength);
  return text;
}

}  // namespace

EditorState& Editor() { return Module().state; }

CommandHistory& EditorHistory() {
  LevelSession* session = CurrentSession();
  return session != nullptr ? session->history : Module().noLevelHistory;
}

void ResetEditor() {
  Module().state = EditorState{};
  Module().editSource = nullptr;
  Module().noLevelHistory.Clear();
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

bool AnyDialogOpen() {
  const EditorState& s = Editor();
  return s.saveDialogOpen || s.loadInProgress || s.attributeSaveOpen || s.attributeLoadOpen || s.errorBoxOpen ||
         !s.texturePickFor.empty() || s.attributePickOpen || s.restoreOffered || UnsavedPromptOpen();
}

// ---- selection and tools --------------------------------------------------------------------------

GameObject* ObjectUnder(float x, float y) {
  for (GameObject* o : Objects()) {
    // What cannot be seen cannot be picked: the menus' hidden highlight sits at the screen's centre.
    if (o == nullptr || o->destroy || !o->visible) continue;
    auto* shape = o->GetComponentAs<Collision>(SlotOf(ComponentType::Collision));
    if (shape != nullptr && shape->ContainsPoint(x, y)) return o;
  }
  return nullptr;
}

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

std::vector<GameObject*> ListedObjects(const std::string& filter) {
  auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
  };
  const std::string wanted = lower(filter);
  std::vector<GameObject*> listed;
  for (GameObject* o : Objects()) {
    // Hidden objects (the menus' highlight) are not listed, as they cannot be picked either.
    if (o == nullptr || o->destroy || !o->visible) continue;
    if (wanted.empty() || lower(o->name).find(wanted) != std::string::npos) listed.push_back(o);
  }
  return listed;
}

std::vector<GameObject*> ObjectsInside(float x0, float y0, float x1, float y1) {
  const float left = std::min(x0, x1), right = std::max(x0, x1);
  const float bottom = std::min(y0, y1), top = std::max(y0, y1);
  std::vector<GameObject*> inside;
  for (GameObject* o : Objects()) {
    // What the band can take is what a click can: visible objects with a shape to pick them by.
    if (o == nullptr || o->destroy || !o->visible) continue;
    if (o->GetComponentAs<Collision>(SlotOf(ComponentType::Collision)) == nullptr) continue;
    const Transform* t = o->GetTransform();
    if (t == nullptr) continue;
    const float radians = t->rotation * 3.14159265f / 180.0f;
    const float c = std::fabs(std::cos(radians)), s = std::fabs(std::sin(radians));
    // Half the extent of the turned outline along x and y.
    const float hx = (std::fabs(t->scale[0]) * c + std::fabs(t->scale[1]) * s) / 2.0f;
    const float hy = (std::fabs(t->scale[0]) * s + std::fabs(t->scale[1]) * c) / 2.0f;
    if (t->position[0] - hx >= left && t->position[0] + hx <= right && t->position[1] - hy >= bottom &&
        t->position[1] + hy <= top) {
      inside.push_back(o);
    }
  }
  return inside;
}

GameObject* FirstSelected() {
  const auto& sel = Editor().selection;
  return sel.empty() ? nullptr : FindLiveObject(sel.front());
}

void RunTools(const PointerInput& in) {
  EditorState& s = Editor();
  const bool pressed = in.leftDown && !s.leftWasDown;
  const bool released = !in.leftDown && s.leftWasDown;
  s.leftWasDown = in.leftDown;
  if (!s.stopped) return;

  if (in.deletePressed && !in.keyboardTaken && !AnyDialogOpen() && !s.selection.empty()) {
    DeleteObjectNamed(s.selection.front());
  }
  if (pressed) {
    // A press over a window, or while a dialog is open, belongs to the interface for its whole length.
    s.pressTaken = !in.overInterface && !AnyDialogOpen();
    s.pressX = in.worldX;
    s.pressY = in.worldY;
    s.dragUnsnapped = in.shift;
    s.banding = false;
    if (!s.pressTaken) return;
    switch (s.tool) {
      case EditorTool::Select: SelectPress(in); break;
      case EditorTool::PlaceObject: PlacePress(in); break;
      case EditorTool::DeleteObject: DeletePress(in); break;
    }
    return;
  }
  if (!s.pressTaken || s.tool != EditorTool::Select) return;
  if (in.leftDown) SelectDrag(in);
  if (released) {
    SelectRelease(in);
    s.pressTaken = false;
  }
}

// ---- patrol-path tool -------------------------------------------------------------------------------

bool EnemyHasPath(const std::string& enemy) {
  const ObjectRecord* r = FindRecord(enemy);
  return r != nullptr && !r->nextId.empty() && IsNode(r->nextId);
}

void ShowEnemyPath(const std::string& enemy) {
  EditorState& s = Editor();
  if (s.shownEnemy == enemy) return;
  s.shownEnemy = enemy;
  if (EnemyHasPath(enemy)) ReadPathInto(enemy);
}

void StartNewPatrolNodes() {
  EditorState& s = Editor();
  s.placingNodes = true;
  s.pendingNodes.clear();
  s.placeType = static_cast<int>(ObjectType::Node);
  s.tool = EditorTool::PlaceObject;
}

void SelectExistingNodes() {
  ClearSelection();
  Editor().tool = EditorTool::Select;
  Editor().placingNodes = true;
}

void AddSelectedNodesToEnemy() {
  Editor().tool = EditorTool::Select;
  Editor().placingNodes = true;
}

bool SetPatrolPath(const std::string& enemy) {
  EditorState& s = Editor();
  if (s.pendingNodes.empty()) return false;
  bool done = RunEditorCommand(std::make_unique<LinkPatrolPathCommand>(enemy, s.pendingNodes, s.circularPath));
  EditorHistory().EndMerge();
  if (!done) return false;
  s.placingNodes = false;
  s.pendingNodes.clear();
  // The enemy now has a path; show it as such.
  s.shownEnemy.clear();
  return true;
}

void MovePathEntry(size_t index, int step) {
  auto& list = Editor().pendingNodes;
  if (index >= list.size()) return;
  if (step < 0 && index == 0) return;
  if (step > 0 && index + 1 >= list.size()) return;
  std::swap(list[index], list[step < 0 ? index - 1 : index + 1]);
}

bool RecalculatePath(const std::string& enemy) {
  const auto& list = Editor().pendingNodes;
  if (list.empty()) return false;
  bool done = RunEditorCommand(std::make_unique<LinkPatrolPathCommand>(enemy, list, Editor().circularPath));
  EditorHistory().EndMerge();
  return done;
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

// ---- files ------------------------------------------------------------------------------------------

void SyncRecordsFromObjects(Level& level) {
  // The records are rebuilt from the objects that belong to the level (those with a record): the
  // highlight, the heads-up display and the menus' objects are made by the game at every start and
  // must not enter the file. Records without a live object stay.
  for (ObjectRecord& record : level.objects) {
    if (GameObject* object = FindLiveObject(record.id)) record = MakeObjectRecord(*object, &record);
  }
}

namespace {

// Writes the edited level to `path`; on failure the reason is kept for the dialog or the error box.
bool SaveEditedLevelTo(const std::string& path, bool saveAs) {
  EditorState& s = Editor();
  Level* level = EditedLevel();
  s.saveFailure.clear();
  if (level == nullptr) {
    s.saveFailure = "There is no level to save.";
    return false;
  }
  return WriteEditedLevel(*level, path, s.shownFile, saveAs, &s.saveFailure);
}

}  // namespace

bool EditorSaveLevel() {
  const Level* level = EditedLevel();
  return SaveEditedLevelTo(level != nullptr ? SaveFileOf(*level) : std::string(), false);
}

bool SaveLevelAs(const std::string& path) { return SaveEditedLevelTo(path, true); }

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

std::string LevelPathFor(const std::string& text) {
  std::string path = text;
  const bool bare = path.find('/') == std::string::npos && path.find('\\') == std::string::npos;
  if (bare && !path.empty()) path = kLevelFolder + path;
  if (path.size() < 5 || path.compare(path.size() - 5, 5, ".json") != 0) path += ".json";
  // Absolute as the platform reads paths: "/..." here, a drive or a network share on Windows too.
  if (path.rfind("./", 0) != 0 && !PathFromUtf8(path).is_absolute()) path = "./" + path;
  return path;
}

std::string EditedLevelLabel() {
  const Level* level = EditedLevel();
  if (level == nullptr) return "no level";
  const std::string file = SaveFileOf(*level);
  return SceneLabel(*level) + ": " + (file.empty() ? std::string("no file") : file);
}

void PressSave() {
  EditorState& s = Editor();
  const Level* level = EditedLevel();
  if (level == nullptr) return;
  if (SaveFileOf(*level).empty()) {
    PressSaveAs();
    return;
  }
  if (!EditorSaveLevel()) {
    ShowErrorBox("Failed to save File: " + SaveFileOf(*level) + "\n" + s.saveFailure, s.errorPosition[0],
                 s.errorPosition[1]);
  }
}

void PressSaveAs() {
  EditorState& s = Editor();
  // The dialog offers the name of the level shown now, every time it opens.
  const Level* level = EditedLevel();
  std::string path = level != nullptr ? SaveFileOf(*level) : std::string();
  // A level of the levels folder is shown by its bare name, as the dialog frames it.
  const std::string folder = "Assets/Levels/";
  size_t at = path.find(folder);
  if (at != std::string::npos && path.find_first_of("/\\", at + folder.size()) == std::string::npos) {
    path = path.substr(at + folder.size(), path.size() - 5 - at - folder.size());
  } else {
    path = path.substr(path.find_last_of("/\\") + 1);
    if (path.size() >= 5) path.resize(path.size() - 5);
  }
  s.pathBuffer = Trimmed(path);
  s.saveDialogOpen = true;
  s.saveFailed = false;
  s.replaceAsked = false;
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

void StartLoading() {
  Editor().loadInProgress = true;
  OpenExplorer(ExplorerFilter::Levels);
}

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

void ShowErrorBox(const std::string& message, float x, float y) {
  EditorState& s = Editor();
  s.errorMessage = message;
  s.errorPosition[0] = x;
  s.errorPosition[1] = y;
  s.errorBoxOpen = true;
}

void StartTexturePick(const std::string& object) {
  Editor().texturePickFor = object;
  OpenExplorer(ExplorerFilter::Pictures);
}

bool TexturePicked(const std::string& path) {
  EditorState& s = Editor();
  GameObject* object = FindLiveObject(s.texturePickFor);
  ModelLookValues before;
  // The level lists its pictures relative to the asset folder, with "/" between folders.
  std::string entry = std::filesystem::path(path).generic_string();
  const std::string root = "./Assets/";
  if (object == nullptr || !ReadModelLook(*object, &before) || entry.rfind(root, 0) != 0 ||
      entry.size() == root.size()) {
    ShowErrorBox("Could not open the file", s.errorPosition[0], s.errorPosition[1]);
    return false;
  }
  // Every start of the level loads the pictures it lists: a file that is not one must never join.
  if (!IsPictureFile(entry)) {
    SetExplorerMessage(EntryName(entry) + " is not a picture the game can show");
    ShowErrorBox("Could not open the file", s.errorPosition[0], s.errorPosition[1]);
    return false;
  }
  entry = entry.substr(root.size());
  TextureManager::Load(root + entry);
  ModelLookValues after = before;
  after.texture = TextureNameOf(entry);
  if (std::find(after.levelTextures.begin(), after.levelTextures.end(), entry) == after.levelTextures.end()) {
    after.levelTextures.push_back(entry);
  }
  RunEditorCommand(SetModelLookCommand(object->name, before, after));
  EditorHistory().EndMerge();
  s.texturePickFor.clear();
  return true;
}

void StartAttributePick() {
  Editor().attributePickOpen = true;
  OpenExplorer(ExplorerFilter::Attributes);
  SetExplorerFolder(std::string(kExplorerRoot) + "/Attributes");
}

bool AttributePicked(const std::string& path) {
  namespace fs = std::filesystem;
  EditorState& s = Editor();
  const fs::path folder = fs::path(kExplorerRoot) / "Attributes";
  const fs::path relative = fs::path(path).lexically_normal().lexically_relative(folder.lexically_normal());
  const std::string name = relative.generic_string();
  const bool inFolder = !relative.empty() && name.rfind("..", 0) != 0 && name != ".";
  if (!inFolder || relative.extension() != ".json" || !ExplorerAccepts(path, ExplorerFilter::Attributes)) {
    SetExplorerMessage("Attribute files are read from ./Assets/Attributes/");
    return false;
  }
  s.attributeBuffer = name.substr(0, name.size() - 5);
  s.attributeLoadFailed = false;
  s.attributePickOpen = false;
  return true;
}

void RemoveTexture(const std::string& object) {
  GameObject* live = FindLiveObject(object);
  ModelLookValues before;
  if (live == nullptr || !ReadModelLook(*live, &before)) return;
  ModelLookValues after = before;
  after.texture.clear();
  RunEditorCommand(SetModelLookCommand(object, before, after));
  EditorHistory().EndMerge();
}

// ---- tuning and attribute files ---------------------------------------------------------------------

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

// ---- emitters -----------------------------------------------------------------------------------

void TestEmitter(const std::string& object, size_t index) {
  GameObject* live = FindLiveObject(object);
  if (live == nullptr) return;
  std::vector<ParticleEmitter*> emitters = live->FindComponents<ParticleEmitter>();
  if (index >= emitters.size()) return;
  ParticleEmitter* emitter = emitters[index];
  if (emitter->loop && emitter->active) {
    emitter->active = false;
  } else {
    emitter->Start();
  }
}
