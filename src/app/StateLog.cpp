#include "app/StateLog.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

#include "core/EditorLink.h"
#include "core/FrameClock.h"
#include "gameplay/Behavior.h"
#include "graphics/Camera.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "widgets/UIHandler.h"

namespace {

struct StateLogModule {
  std::unique_ptr<std::ofstream> file;
  std::unique_ptr<std::ofstream> watch;
};

StateLogModule& Module() {
  static StateLogModule module;
  return module;
}

// FNV-1a over a canonical byte stream: integers little-endian, floats as their bits (every NaN as
// one pattern), strings with their length first so that neighbouring names cannot run together.
class StateHasher {
 public:
  void Byte(uint8_t b) {
    hash_ ^= b;
    hash_ *= 0x100000001b3ull;
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) Byte(static_cast<uint8_t>(v >> (8 * i)));
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void Bool(bool v) { Byte(v ? 1 : 0); }
  void F32(float v) {
    uint32_t bits = 0x7FC00000u;
    if (!std::isnan(v)) std::memcpy(&bits, &v, sizeof(bits));
    U32(bits);
  }
  void String(const std::string& s) {
    U32(static_cast<uint32_t>(s.size()));
    for (char c : s) Byte(static_cast<uint8_t>(c));
  }
  uint64_t Value() const { return hash_; }

 private:
  uint64_t hash_ = 0xcbf29ce484222325ull;
};

void HashObject(const GameObject& object, StateHasher* h) {
  h->String(object.name);
  h->U32(static_cast<uint32_t>(object.type));
  const Transform* transform = object.GetTransform();
  h->Bool(transform != nullptr);
  if (transform != nullptr) {
    for (float p : transform->position) h->F32(p);
    h->F32(transform->rotation);
  }
  const auto* kinematics = object.GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics));
  h->Bool(kinematics != nullptr);
  if (kinematics != nullptr) {
    h->F32(kinematics->velocity[0]);
    h->F32(kinematics->velocity[1]);
  }
  h->Bool(object.visible);
  const Behavior* behavior = BehaviorOf(&object);
  h->Bool(behavior != nullptr);
  if (behavior != nullptr) {
    h->I32(behavior->previousState);
    h->I32(behavior->currentState);
    h->I32(behavior->nextState);
  }
}

void HashScene(StateHasher* h, bool withTime = true) {
  const Level* scene = CurrentScene();
  h->Bool(scene != nullptr);
  if (scene != nullptr) {
    h->I32(scene->sceneIndex);
    h->I32(scene->sceneId);
    if (withTime) h->F32(scene->time);
    h->I32(scene->foodCount);
    h->I32(scene->foodCollected);
    h->Bool(scene->goalReached);
    h->Bool(scene->gameOver);
    h->Bool(scene->exitStarted);
  }
  h->F32(MainCamera().position[0]);
  h->F32(MainCamera().position[1]);
  h->Bool(IsPaused());
}

uint64_t StateHash(bool withTime) {
  StateHasher h;
  const std::vector<GameObject*>& objects = Objects();
  h.U32(static_cast<uint32_t>(objects.size()));
  for (const GameObject* object : objects) {
    if (object != nullptr) HashObject(*object, &h);
  }
  HashScene(&h, withTime);
  return h.Value();
}

// A visible button that reacts: a menu, a dialog or an overlay the player can act on.
bool SomethingToActOn() {
  if (EditorHalted()) return true;
  for (const GameObject* object : Objects()) {
    if (object == nullptr || !object->visible) continue;
    const auto* handler = object->GetComponentAs<UIHandler>(SlotOf(ComponentType::UIHandler));
    if (handler != nullptr && handler->active) return true;
  }
  return false;
}

std::string WordOf(const std::string& name) {
  std::string word = name.empty() ? std::string("-") : name;
  for (char& c : word) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') c = '_';
  }
  return word;
}

}  // namespace

uint64_t GameStateHash() { return StateHash(true); }

std::string StateLogLine(int frame) {
  char line[64];
  std::snprintf(line, sizeof(line), "%d %d %016" PRIx64 "\n", frame, SceneState().currentScene, GameStateHash());
  return line;
}

bool OpenStateLog(const std::string& path, std::string* error) {
  auto file = std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc);
  if (!file->is_open()) {
    *error = "cannot write the state log " + path;
    return false;
  }
  Module().file = std::move(file);
  return true;
}

void LogFrameState(int frame) {
  std::ofstream* file = Module().file.get();
  if (file == nullptr) return;
  *file << StateLogLine(frame);
  // Flushed every frame: when a run goes wrong, the log shows the last frame it finished.
  file->flush();
}

void CloseStateLog() { Module().file.reset(); }

std::string WatchLogLine(int frame) {
  const Level* scene = CurrentScene();
  std::string states;
  int count = 0;
  for (const GameObject* object : Objects()) {
    const Behavior* behavior = object != nullptr ? BehaviorOf(object) : nullptr;
    if (behavior == nullptr) continue;
    ++count;
    states += ' ' + WordOf(object->name) + '=' + std::to_string(behavior->currentState);
  }
  char head[160];
  std::snprintf(head, sizeof(head), "%d %d %.4f %d %d %016" PRIx64 " %d", frame, SceneState().currentScene,
                scene != nullptr ? static_cast<double>(scene->time) : 0.0, IsPaused() ? 1 : 0,
                SomethingToActOn() ? 1 : 0, StateHash(false), count);
  return head + states + "\n";
}

bool OpenWatchLog(const std::string& path, std::string* error) {
  auto file = std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc);
  if (!file->is_open()) {
    *error = "cannot write the watch log " + path;
    return false;
  }
  Module().watch = std::move(file);
  return true;
}

void LogFrameWatch(int frame) {
  if (std::ofstream* file = Module().watch.get()) *file << WatchLogLine(frame);
}

void CloseWatchLog() { Module().watch.reset(); }
