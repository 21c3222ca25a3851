#include "app/ObjectDump.h"

#include <cmath>
#include <cstdio>

#include "core/FileSync.h"
#include "core/FrameClock.h"
#include "core/Options.h"
#include "gameplay/Behavior.h"
#include "graphics/Camera.h"
#include "graphics/Filter.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/ObjectType.h"
#include "objects/Transform.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"

namespace {

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c >= 0x7F) {
          // Names are plain text in practice; anything else is written byte by byte so the file
          // stays valid JSON whatever a level file put there.
          char escaped[8];
          std::snprintf(escaped, sizeof(escaped), "\\u%04x", c);
          out += escaped;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

// A float as JSON: shortest digits that read back as the same float; JSON has no NaN or infinity.
std::string Number(float value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  std::snprintf(text, sizeof(text), "%.9g", static_cast<double>(value));
  return text;
}

std::string Bool(bool value) { return value ? "true" : "false"; }

std::string SceneJson() {
  const Level* scene = CurrentScene();
  if (scene == nullptr) return "null";
  return "{\"index\": " + std::to_string(scene->sceneIndex) + ", \"id\": " + std::to_string(scene->sceneId) +
         ", \"time\": " + Number(scene->time) + ", \"foodCount\": " + std::to_string(scene->foodCount) +
         ", \"foodCollected\": " + std::to_string(scene->foodCollected) +
         ", \"goalReached\": " + Bool(scene->goalReached) + ", \"gameOver\": " + Bool(scene->gameOver) +
         ", \"exitStarted\": " + Bool(scene->exitStarted) + ", \"paused\": " + Bool(IsPaused()) + "}";
}

std::string ObjectJson(const GameObject& object) {
  const Transform* transform = object.GetTransform();
  const auto* kinematics = object.GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics));
  const Behavior* behavior = BehaviorOf(&object);
  // The colour filter's alpha of an object that has one (the escape signal pulses by it).
  const auto* filter = object.GetComponentAs<Filter>(SlotOf(ComponentType::Filter));
  const std::string tint = filter != nullptr ? ", \"filterAlpha\": " + Number(filter->GetColor().w()) : std::string();
  return "{\"name\": " + Quoted(object.name) +
         ", \"type\": " + Quoted(TypeName(static_cast<int32_t>(object.type))) +
         ", \"x\": " + Number(transform ? transform->position[0] : 0.0f) +
         ", \"y\": " + Number(transform ? transform->position[1] : 0.0f) +
         ", \"rotation\": " + Number(transform ? transform->rotation : 0.0f) +
         ", \"vx\": " + Number(kinematics ? kinematics->velocity[0] : 0.0f) +
         ", \"vy\": " + Number(kinematics ? kinematics->velocity[1] : 0.0f) +
         ", \"visible\": " + Bool(object.visible) +
         ", \"state\": " + (behavior ? std::to_string(behavior->currentState) : std::string("null")) + tint + "}";
}

}  // namespace

std::string ObjectDumpJson(int frame) {
  std::string out = "{\"frame\": " + std::to_string(frame) + ",\n \"scene\": " + SceneJson() +
                    ",\n \"camera\": {\"x\": " + Number(MainCamera().position[0]) +
                    ", \"y\": " + Number(MainCamera().position[1]) + "},\n \"objects\": [";
  bool first = true;
  for (const GameObject* object : Objects()) {
    if (object == nullptr) continue;
    out += first ? "\n  " : ",\n  ";
    out += ObjectJson(*object);
    first = false;
  }
  return out + "]}\n";
}

void WriteObjectDumps(const std::vector<DumpRequest>& requests, int frame) {
  std::string json;
  for (const DumpRequest& request : requests) {
    if (request.frame != frame) continue;
    if (json.empty()) json = ObjectDumpJson(frame);
    std::string why;
    if (!files::ReplaceFileContents(request.file, json, &why)) {
      std::fprintf(stderr, "quillmarch: could not write the object dump %s: %s\n", request.file.c_str(), why.c_str());
    }
  }
}
