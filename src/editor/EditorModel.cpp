#include "editor/EditorModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "app/EditorLink.h"
#include "app/GameFolders.h"
#include "audio/AudioSystem.h"
#include "audio/Sound.h"
#include "graphics/Texture.h"
#include "editor/Autosave.h"
#include "editor/Clipboard.h"
#include "editor/RecordBuilder.h"
#include "gameplay/HumanTuning.h"
#include "gameplay/PlayerTuning.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/AttributeFile.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "ui/WriteNotice.h"

namespace {

// A press that moves no more than this in x and in y is a click, not a drag.
constexpr float kDragThreshold = 10.0f;
// Scenes loaded by the editor that are not one of the game's own files get ids from here on.
constexpr int kFirstEditorSceneId = 100;
constexpr size_t kBufferLength = 255;
constexpr const char* kLevelFolder = "./Assets/Levels/";

struct EditorModule {
  EditorState state;
  CommandHistory history;
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
    ClearSelection();
    s.pendingNodes.clear();
  } else if (!IsSelected(hit->name)) {
    SelectObject(hit->name, in.ctrl);
    if (s.placingNodes && IsNode(hit->name)) AppendPending(hit->name);
  }
  TakeDragOffsets(in.worldX, in.worldY);
}

void SelectDrag(const PointerInput& in) {
  EditorState& s = Editor();
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

std::string Trimmed(std::string text) {
  if (text.size() > kBufferLength) text.resize(kBufferLength);
  return text;
}

}  // namespace

EditorState& Editor() { return Module().state; }
CommandHistory& EditorHistory() { return Module().history; }

void ResetEditor() {
  Module().state = EditorState{};
  Module().editSource = nullptr;
  Module().history.Clear();
  Module().state.savedRevision = Module().state.backupRevision = Module().history.Revision();
  ResetAutosave();
  ClearClipboard();
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

bool LevelEdited() { return EditorHistory().Revision() != Editor().savedRevision; }

float SnapToGrid(float value, float grid) {
  if (!(grid > 0.0f)) return value;
  return std::round(value / grid) * grid;
}

bool RunEditorCommand(std::unique_ptr<EditorCommand> command) {
  if (Module().editSource != nullptr) Module().history.SetSource(Module().editSource());
  return Module().history.Run(std::move(command));
}

void SetEditSourceReader(uint64_t (*reader)()) { Module().editSource = reader; }

bool AnyDialogOpen() {
  const EditorState& s = Editor();
  return s.saveDialogOpen || s.loadInProgress || s.attributeSaveOpen || s.attributeLoadOpen || s.errorBoxOpen ||
         !s.texturePickFor.empty() || s.restoreOffered;
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
  // must not enter the file. Records without a live object (texts, which take new names) stay.
  for (ObjectRecord& record : level.objects) {
    if (GameObject* object = FindLiveObject(record.id)) record = MakeObjectRecord(*object, &record);
  }
}

namespace {

// An installed game's data folder is read-only: a level of it that cannot be written there is saved
// to the same place in the player's own folder, and the editor goes on with that file. A level with
// a value the writer refuses, or one outside the data folder, is not moved.
bool SaveLevelToUserFolder(Level& level) {
  const std::filesystem::path wanted = PathFromUtf8(level.path).lexically_normal();
  const bool inData = !wanted.empty() && wanted.is_relative() && *wanted.begin() != "..";
  std::string moved = inData && Editor().saveFailure.empty() ? UserFilePath(Utf8FromPath(wanted)) : std::string();
  if (!moved.empty()) {
    Level copy = level;
    copy.path = moved;
    if (SaveLevel(copy)) {
      const std::string note = "The game's folder cannot be written; the level was saved to " + moved;
      std::fprintf(stderr, "quillmarch: %s\n", note.c_str());
      ShowErrorBox(note, Editor().errorPosition[0], Editor().errorPosition[1]);
      level.path = moved;
      return true;
    }
  }
  ReportWriteFailure("The level could not be saved", "Could not save the level to " + level.path);
  return false;
}

}  // namespace

bool EditorSaveLevel() {
  Level* level = EditedLevel();
  if (level == nullptr) return false;
  if (Editor().stopped) SyncRecordsFromObjects(*level);
  Editor().saveFailure = FindUnwritableValue(*level);
  if (!SaveLevel(*level) && !SaveLevelToUserFolder(*level)) return false;
  Editor().savedRevision = EditorHistory().Revision();
  RemoveBackup(level->path);
  return true;
}

bool EditorLoadLevel() {
  ClearSelection();
  Editor().pendingNodes.clear();
  std::unique_ptr<Level> level = LoadLevel(Editor().pathBuffer);
  if (level == nullptr) return false;
  const int id = SceneIdForPath(level->path);
  Level* scene = AddScene(std::move(level), id);
  RequestScene(scene);
  EditorHistory().Clear();
  Editor().savedRevision = Editor().backupRevision = EditorHistory().Revision();
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

void PressSave() {
  EditorState& s = Editor();
  if (!s.savePressedOnce) {
    s.savePressedOnce = true;
    const Level* level = EditedLevel();
    std::string path = level != nullptr ? level->path : "";
    // A level of the levels folder is shown by its bare name, as the dialog frames it.
    const std::string folder = "Assets/Levels/";
    size_t at = path.find(folder);
    if (at != std::string::npos && path.size() > 5 && path.compare(path.size() - 5, 5, ".json") == 0) {
      path = path.substr(at + folder.size(), path.size() - 5 - at - folder.size());
    }
    s.pathBuffer = Trimmed(path);
  }
  s.saveDialogOpen = true;
  s.saveFailed = false;
}

bool SaveDialogSave() {
  EditorState& s = Editor();
  Level* level = EditedLevel();
  if (level == nullptr) {
    s.saveFailed = true;
    return false;
  }
  level->path = LevelPathFor(s.pathBuffer);
  if (EditorSaveLevel()) {
    s.saveDialogOpen = false;
    s.saveFailed = false;
    return true;
  }
  s.saveFailed = true;
  return false;
}

void PressLoad() { Editor().loadInProgress = true; }

bool LoadPicked(const std::string& path) {
  EditorState& s = Editor();
  s.pathBuffer = Trimmed(path);
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

void StartTexturePick(const std::string& object) { Editor().texturePickFor = object; }

bool TexturePicked(const std::string& path) {
  EditorState& s = Editor();
  GameObject* object = FindLiveObject(s.texturePickFor);
  ModelLookValues before;
  // The level lists its pictures relative to the asset folder.
  std::string entry = path;
  for (char& c : entry) {
    if (c == '\\') c = '/';
  }
  const std::string root = "./Assets/";
  if (object == nullptr || !ReadModelLook(*object, &before) || entry.rfind(root, 0) != 0 ||
      entry.size() == root.size()) {
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

bool SaveAttributesFlow() {
  EditorState& s = Editor();
  GameObject* object = FirstSelected();
  const int type = object != nullptr ? TuningTypeOf(*object) : 0;
  s.attributeSaveFailed = type == 0 || !SaveAttributes(object, type, s.attributeBuffer);
  if (!s.attributeSaveFailed) s.attributeSaveOpen = false;
  return !s.attributeSaveFailed;
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

bool PutTuning(const TuningSnapshot& t) {
  PlayerTuningValues() = t.player;
  HumanTuningValues() = t.human;
  if (Level* level = EditedLevel()) level->attributes = t.attributes;
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
  after.attributes.push_back(s.attributeBuffer);
  // The file has been read once already; redo only puts the values it gave back.
  RunEditorCommand(MakeSetCommand<TuningSnapshot>("Load Attributes", s.attributeBuffer, before, after, PutTuning));
  EditorHistory().EndMerge();
  s.attributeLoadFailed = false;
  s.attributeLoadOpen = false;
  return true;
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
