#include "editor/Clipboard.h"

#include <algorithm>
#include <map>

#include "editor/EditorState.h"
#include "editor/RecordBuilder.h"
#include "graphics/Texture.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "scenes/Level.h"
#include "scenes/PatrolPaths.h"
#include "scenes/SceneManager.h"

namespace {

struct ClipboardModule {
  std::vector<ObjectRecord> records;
  std::vector<std::string> pictures;  // the source level's list entries of the pictures they show
};

ClipboardModule& Module() {
  static ClipboardModule module;
  return module;
}

bool NameInUse(const std::string& name) {
  if (FindRecord(name) != nullptr) return true;
  for (GameObject* o : Objects()) {
    if (o != nullptr && o->name == name) return true;
  }
  return false;
}

// The next name from the object counter for an object named like `like` ("Wall_3" -> "Wall_17"),
// stepping past any number a record or a live object already has.
std::string NextName(const std::string& like) {
  const std::string prefix = like.substr(0, like.find('_')) + "_";
  std::string name;
  do {
    name = prefix + std::to_string(++ObjectCounter());
  } while (NameInUse(name));
  return name;
}

// The level's list entry ("Sub/wall.png") of the picture an object shows by name ("wall.png"), or empty.
std::string ListEntryFor(const Level& level, const std::string& picture) {
  for (const std::string& entry : level.textures) {
    if (TextureNameOf(entry) == picture) return entry;
  }
  return "";
}

// The list entries of every picture the records show: models and particles.
std::vector<std::string> PicturesOf(const std::vector<ObjectRecord>& records) {
  std::vector<std::string> entries;
  const Level* level = EditedLevel();
  if (level == nullptr) return entries;
  auto keep = [&](const std::string& picture) {
    const std::string entry = picture.empty() ? "" : ListEntryFor(*level, picture);
    if (!entry.empty() && std::find(entries.begin(), entries.end(), entry) == entries.end()) entries.push_back(entry);
  };
  for (const ObjectRecord& r : records) {
    keep(r.texture);
    for (const EmitterRecord& e : r.emitters) keep(e.texture);
  }
  return entries;
}

// Texts are built last, so the objects they label already exist.
bool IsText(const ObjectRecord& r) { return r.type == static_cast<int32_t>(ObjectType::Text); }

}  // namespace

void PasteObjectsCommand::Rename() {
  std::map<std::string, std::string> renamed;
  for (ObjectRecord& r : records_) {
    const std::string fresh = NextName(r.id);
    renamed[r.id] = fresh;
    r.id = fresh;
    r.translationX += dx_;
    r.translationY += dy_;
  }
  for (ObjectRecord& r : records_) {
    auto it = renamed.find(r.nextId);
    r.nextId = it != renamed.end() ? it->second : "";
  }
  std::stable_partition(records_.begin(), records_.end(), [](const ObjectRecord& r) { return !IsText(r); });
  named_ = true;
}

// The pictures go in before the objects are built, so their models find them.
void PasteObjectsCommand::AddPictures(Level& level) {
  addedPictures_.clear();
  for (const std::string& entry : pictures_) {
    if (!ListEntryFor(level, TextureNameOf(entry)).empty()) continue;
    level.textures.push_back(entry);
    TextureManager::Load("./Assets/" + entry);
    addedPictures_.push_back(entry);
  }
}

bool PasteObjectsCommand::Do() {
  Level* level = EditedLevel();
  if (level == nullptr || records_.empty()) return false;
  if (!named_) Rename();
  AddPictures(*level);
  // The names were taken from the counter already; building must not move it back.
  const int32_t counter = ObjectCounter();
  const size_t first = Objects().size();
  for (ObjectRecord& r : records_) {
    GameObject* object = BuildObjectFromRecord(r);
    if (object == nullptr) continue;
    // A text numbers itself as it is built; its record follows the name it got.
    r.id = object->name;
    level->objects.push_back(r);
  }
  ObjectCounter() = std::max(counter, ObjectCounter());
  for (const PatrolAssignment& a : LinkPatrolPaths(records_)) {
    if (GetSceneHooks().setPatrolPath != nullptr) GetSceneHooks().setPatrolPath(a.enemy, a.firstNode);
  }
  // Copies from another level may draw pictures this one does not list.
  listedPictures_ = ListPicturesOfObjectsFrom(first);
  return true;
}

void PasteObjectsCommand::Undo() {
  UnlistPictures(listedPictures_);
  Level* level = EditedLevel();
  for (const ObjectRecord& r : records_) {
    if (GameObject* object = FindLiveObject(r.id)) object->destroy = true;
    if (level == nullptr) continue;
    auto& objects = level->objects;
    objects.erase(std::remove_if(objects.begin(), objects.end(), [&](const ObjectRecord& o) { return o.id == r.id; }),
                  objects.end());
  }
  if (level == nullptr) return;
  for (const std::string& entry : addedPictures_) {
    auto it = std::find(level->textures.begin(), level->textures.end(), entry);
    if (it != level->textures.end()) level->textures.erase(it);
  }
}

std::vector<std::string> PasteObjectsCommand::PastedNames() const {
  std::vector<std::string> names;
  for (const ObjectRecord& r : records_) names.push_back(r.id);
  return names;
}

bool CopySelection() {
  std::vector<ObjectRecord> records;
  for (const std::string& name : Editor().selection) {
    GameObject* object = FindLiveObject(name);
    const ObjectRecord* record = FindRecord(name);
    // Only objects of the level are copied: the highlight and the heads-up display are the game's.
    if (object == nullptr || record == nullptr) continue;
    records.push_back(MakeObjectRecord(*object, record));
  }
  if (records.empty()) return false;
  Module().pictures = PicturesOf(records);
  Module().records = std::move(records);
  return true;
}

bool PasteAt(float x, float y) {
  const auto& records = Module().records;
  if (records.empty()) return false;
  auto command = std::make_unique<PasteObjectsCommand>(records, Module().pictures, x - records.front().translationX,
                                                       y - records.front().translationY);
  PasteObjectsCommand* paste = command.get();
  if (!RunEditorCommand(std::move(command))) return false;
  EditorHistory().EndMerge();
  ClearSelection();
  for (const std::string& name : paste->PastedNames()) SelectObject(name, true);
  return true;
}

bool DuplicateSelection(float offset) {
  // A duplicate leaves what the user copied on the clipboard.
  const ClipboardModule kept = Module();
  bool done = false;
  if (CopySelection()) {
    const ObjectRecord& first = Module().records.front();
    done = PasteAt(first.translationX + offset, first.translationY - offset);
  }
  Module() = kept;
  return done;
}

size_t ClipboardSize() { return Module().records.size(); }
void ClearClipboard() { Module() = ClipboardModule{}; }
