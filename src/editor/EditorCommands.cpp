#include "editor/EditorCommands.h"

#include <algorithm>

#include "graphics/Model.h"
#include "graphics/ParticleEmitter.h"
#include "graphics/Texture.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"

namespace {

void AddPicture(std::vector<std::string>& pictures, const std::string& name) {
  if (!name.empty() && std::find(pictures.begin(), pictures.end(), name) == pictures.end()) pictures.push_back(name);
}

bool PictureLoaded(const std::string& name) {
  for (const Texture* t : TextureList()) {
    if (t->name == name) return true;
  }
  return false;
}

}  // namespace

// ---- history --------------------------------------------------------------------------------------

bool CommandHistory::Run(std::unique_ptr<EditorCommand> command) {
  if (command == nullptr || !command->Do()) return false;
  ++revision_;
  undone_.clear();
  if (mergeOpen_ && !done_.empty() && done_.back()->Merge(*command)) return true;
  done_.push_back(std::move(command));
  if (done_.size() > kLimit) done_.erase(done_.begin());
  mergeOpen_ = true;
  return true;
}

void CommandHistory::SetSource(uint64_t source) {
  if (source != source_) mergeOpen_ = false;
  source_ = source;
}

bool CommandHistory::Undo() {
  if (done_.empty()) return false;
  done_.back()->Undo();
  ++revision_;
  undone_.push_back(std::move(done_.back()));
  done_.pop_back();
  mergeOpen_ = false;
  return true;
}

bool CommandHistory::Redo() {
  if (undone_.empty()) return false;
  if (!undone_.back()->Do()) return false;
  ++revision_;
  done_.push_back(std::move(undone_.back()));
  undone_.pop_back();
  mergeOpen_ = false;
  return true;
}

void CommandHistory::Clear() {
  ++revision_;
  done_.clear();
  undone_.clear();
  mergeOpen_ = false;
}

// ---- record helpers -------------------------------------------------------------------------------

Level* EditedLevel() { return CurrentScene(); }

ObjectRecord* FindRecord(const std::string& id) {
  Level* level = EditedLevel();
  if (level == nullptr || id.empty()) return nullptr;
  for (ObjectRecord& r : level->objects) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

GameObject* FindLiveObject(const std::string& name) {
  for (GameObject* o : Objects()) {
    if (o != nullptr && !o->destroy && o->name == name) return o;
  }
  return nullptr;
}

std::vector<std::string> ListPicturesOfObjectsFrom(size_t first) {
  std::vector<std::string> pictures;
  const auto& objects = Objects();
  for (size_t i = first; i < objects.size(); ++i) {
    if (objects[i] == nullptr) continue;
    for (const Model* model : objects[i]->FindComponents<Model>()) AddPicture(pictures, model->GetTextureName());
    for (const ParticleEmitter* e : objects[i]->FindComponents<ParticleEmitter>()) AddPicture(pictures, e->textureName);
  }
  std::vector<std::string> added;
  Level* level = EditedLevel();
  if (level == nullptr) return added;
  for (const std::string& name : pictures) {
    bool listed = false;
    for (const std::string& entry : level->textures) listed = listed || TextureNameOf(entry) == name;
    if (!listed) {
      level->textures.push_back(name);
      added.push_back(name);
    }
    // The pictures of the game's objects sit in the asset folder itself.
    if (!PictureLoaded(name)) TextureManager::Load("./Assets/" + name);
  }
  return added;
}

void UnlistPictures(const std::vector<std::string>& names) {
  Level* level = EditedLevel();
  if (level == nullptr) return;
  for (const std::string& name : names) {
    auto it = std::find(level->textures.rbegin(), level->textures.rend(), name);
    if (it != level->textures.rend()) level->textures.erase(std::next(it).base());
  }
}
