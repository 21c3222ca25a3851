#include "editor/RecordBuilder.h"

#include <algorithm>
#include <cmath>

#include "editor/EditorCommands.h"
#include "graphics/Camera.h"
#include "graphics/Filter.h"
#include "graphics/Light.h"
#include "graphics/Model.h"
#include "graphics/ParticleEmitter.h"
#include "graphics/Text.h"
#include "graphics/Texture.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Level.h"
#include "scenes/PathNode.h"
#include "scenes/SceneManager.h"
#include "widgets/UIHandler.h"

namespace {

// The archetypes name their own emitters ("footstep", "crumbs" ...); emitters a level adds have none.
bool IsLevelEmitter(const ParticleEmitter& emitter) { return emitter.name.empty(); }

Text* TextOf(const GameObject& object) {
  if (Text* own = object.FindComponent<Text>()) return own;
  for (GameObject* o : Objects()) {
    if (o == nullptr || o->destroy) continue;
    for (Text* text : o->FindComponents<Text>()) {
      if (text->linkedObject == &object) return text;
    }
  }
  return nullptr;
}

Light* LightOf(const GameObject& object) { return object.FindComponent<Light>(); }

// A label added in the editor is centred on its button, as the menus' labels are.
constexpr uint32_t kNewLabelAlignment = 1;

// A box's edges follow its transform only when it draws; picking needs them at once.
void RebuildBoxEdges(GameObject& object) {
  if (auto* box = object.GetComponentAs<BoxCollision>(SlotOf(ComponentType::Collision))) box->Draw();
}

}  // namespace

int32_t RecordTypeOf(const GameObject& object) {
  if (dynamic_cast<const PathNode*>(&object) != nullptr) return static_cast<int32_t>(ObjectType::Node);
  return static_cast<int32_t>(object.type);
}

ObjectRecord MakeObjectRecord(const GameObject& object, const ObjectRecord* known) {
  ObjectRecord r;
  r.id = object.name;
  r.type = RecordTypeOf(object);
  // A text record is built as a labelled panel: it stays a text record, and keeps what the panel
  // cannot tell (its scale y is the file's, its rotation is not applied).
  const bool textRecord = known != nullptr && known->type == static_cast<int32_t>(ObjectType::Text);
  if (textRecord) r.type = known->type;
  if (const Transform* t = object.GetTransform()) {
    r.translationX = t->position[0];
    r.translationY = t->position[1];
    r.scaleX = t->scale[0];
    r.scaleY = t->scale[1];
    r.rotation = t->rotation;
  }
  if (const auto* model = object.GetComponentAs<Model>(SlotOf(ComponentType::Model))) {
    if (!model->GetTextureName().empty()) {
      r.texture = model->GetTextureName();
    } else {
      std::copy(model->GetMesh()->color, model->GetMesh()->color + 4, r.color);
    }
  }
  if (known != nullptr) {
    r.nextId = known->nextId;
    r.escapeDirection = known->escapeDirection;
    r.fixedToScreen = known->fixedToScreen;
    if (known->fixedToScreen) {
      r.translationX = known->translationX;
      r.translationY = known->translationY;
    }
  }
  // A button's handler says whether it is pinned and where on the screen: a pinned object's place
  // in the file is its place on the screen (the scene start pins it there again).
  if (const UIHandler* handler = HandlerOf(&object)) {
    r.fixedToScreen = handler->fixedToScreen;
    if (handler->fixedToScreen) {
      r.translationX = handler->screenPosition[0];
      r.translationY = handler->screenPosition[1];
    }
  }
  if (const auto* node = dynamic_cast<const PathNode*>(&object)) {
    r.nextId = node->next != nullptr ? node->next->name : "";
  }
  if (const Text* text = object.FindComponent<Text>()) {
    r.text = text->text;
    if (text->linkedObject != nullptr) r.nextId = text->linkedObject->name;
  }
  // A button keeps its label in its own record: the label object itself has none.
  if (r.type == static_cast<int32_t>(ObjectType::UI)) {
    if (const UIHandler* handler = HandlerOf(&object)) r.buttonActive = handler->active;
    if (const Text* label = TextOf(object)) {
      r.hasLabel = true;
      r.label = label->text;
      r.labelSize = label->glyphSize;
      r.labelAlignment = label->alignment;
    }
  }
  if (textRecord) {
    r.scaleY = known->scaleY;
    r.rotation = known->rotation;
    r.nextId.clear();
    if (const Text* label = TextOf(object)) {
      r.text = label->text;
      r.scaleX = label->glyphSize;  // a text record's scale x is its glyph size
    }
  }
  r.filters = ReadFilters(object);
  size_t levelIndex = 0;
  for (const ParticleEmitter* e : object.FindComponents<ParticleEmitter>()) {
    if (!IsLevelEmitter(*e)) continue;
    EmitterRecord emitter = MakeEmitterRecord(*e);
    // Whether an emitter runs belongs to the level: a test burst, or a period that ran out while
    // editing, changes only the live emitter.
    if (known != nullptr && levelIndex < known->emitters.size()) emitter.active = known->emitters[levelIndex].active;
    r.emitters.push_back(emitter);
    ++levelIndex;
  }
  if (const Light* light = LightOf(object)) {
    r.hasLight = true;
    r.lightIntensity = light->intensity;
    r.lightColor[0] = light->color[0];
    r.lightColor[1] = light->color[1];
    r.lightColor[2] = light->color[2];
    r.lightFallOffStart = light->falloffStart;
    r.lightFallOffEnd = light->falloffEnd;
  }
  return r;
}

// ---- transform ------------------------------------------------------------------------------------

TransformValues ReadTransform(const GameObject& object) {
  TransformValues v;
  if (const Transform* t = object.GetTransform()) {
    v.scale[0] = t->scale[0];
    v.scale[1] = t->scale[1];
    v.rotation = t->rotation;
    v.position[0] = t->position[0];
    v.position[1] = t->position[1];
  }
  return v;
}

std::unique_ptr<EditorCommand> SetTransformCommand(const std::string& name, const TransformValues& before,
                                                   const TransformValues& after) {
  return MakeSetCommand<TransformValues>("Transform", name, before, after, [name](const TransformValues& v) {
    GameObject* object = FindLiveObject(name);
    if (object == nullptr || object->GetTransform() == nullptr) return false;
    Transform* t = object->GetTransform();
    t->scale[0] = v.scale[0];
    t->scale[1] = v.scale[1];
    t->rotation = v.rotation;
    t->position[0] = v.position[0];
    t->position[1] = v.position[1];
    RebuildBoxEdges(*object);
    if (ObjectRecord* r = FindRecord(name)) {
      // A text record's scale is its glyph size and the file's height, which the panel does not show.
      if (r->type != static_cast<int32_t>(ObjectType::Text)) {
        r->scaleX = v.scale[0];
        r->scaleY = v.scale[1];
        r->rotation = v.rotation;
      }
      r->translationX = v.position[0];
      r->translationY = v.position[1];
    }
    // A pinned object moves its pin, which keeps it there; its record holds its place on the screen.
    if (UIHandler* handler = HandlerOf(object); handler != nullptr && handler->fixedToScreen) {
      handler->screenPosition[0] = v.position[0] - MainCamera().position[0];
      handler->screenPosition[1] = v.position[1] - MainCamera().position[1];
      if (ObjectRecord* r = FindRecord(name)) {
        r->translationX = handler->screenPosition[0];
        r->translationY = handler->screenPosition[1];
      }
    }
    return true;
  });
}

// ---- light ----------------------------------------------------------------------------------------

LightValues ReadLight(const GameObject& object) {
  LightValues v;
  if (const Light* light = LightOf(object)) {
    v.present = true;
    v.intensity = light->intensity;
    v.fallOffStart = light->falloffStart;
    v.fallOffEnd = light->falloffEnd;
    for (int i = 0; i < 3; ++i) v.color[i] = light->color[i];
  }
  return v;
}

std::unique_ptr<EditorCommand> SetLightCommand(const std::string& name, const LightValues& before,
                                               const LightValues& after) {
  return MakeSetCommand<LightValues>("Light", name, before, after, [name](const LightValues& v) {
    GameObject* object = FindLiveObject(name);
    if (object == nullptr) return false;
    Light* light = LightOf(*object);
    if (!v.present) {
      if (light != nullptr) object->RemoveComponent(light);
    } else if (light == nullptr) {
      object->AddComponent(new Light(v.intensity, v.fallOffStart, v.fallOffEnd, Vector3(v.color[0], v.color[1], v.color[2])));
    } else {
      light->SetIntensity(v.intensity);
      light->SetFallOffStart(v.fallOffStart);
      light->SetFallOffEnd(v.fallOffEnd);
      light->SetColor(v.color[0], v.color[1], v.color[2]);
    }
    if (ObjectRecord* r = FindRecord(name)) {
      r->hasLight = v.present;
      r->lightIntensity = v.present ? v.intensity : 0.0f;
      r->lightFallOffStart = v.present ? v.fallOffStart : 0.0f;
      r->lightFallOffEnd = v.present ? v.fallOffEnd : 0.0f;
      for (int i = 0; i < 3; ++i) r->lightColor[i] = v.present ? v.color[i] : 0.0f;
    }
    return true;
  });
}

// ---- filters --------------------------------------------------------------------------------------

std::vector<FilterRecord> ReadFilters(const GameObject& object) {
  std::vector<FilterRecord> filters;
  for (const Filter* f : object.FindComponents<Filter>()) {
    FilterRecord r;
    r.kind = static_cast<uint32_t>(f->filterType);
    r.saturation = f->saturation;
    for (int i = 0; i < 4; ++i) r.color[i] = f->color[i];
    filters.push_back(r);
  }
  return filters;
}

std::unique_ptr<EditorCommand> SetFiltersCommand(const std::string& name, const std::vector<FilterRecord>& before,
                                                 const std::vector<FilterRecord>& after) {
  using Filters = std::vector<FilterRecord>;
  return MakeSetCommand<Filters>("Filters", name, before, after, [name](const Filters& list) {
    GameObject* object = FindLiveObject(name);
    if (object == nullptr) return false;
    std::vector<Filter*> live = object->FindComponents<Filter>();
    // Edit the filters in place while the count stays; rebuild them when it changes.
    if (live.size() != list.size()) {
      for (Filter* f : live) object->RemoveComponent(f);
      for (const FilterRecord& r : list) {
        object->AddComponent(new Filter(static_cast<FilterType>(r.kind), r.saturation,
                                        Vector4(r.color[0], r.color[1], r.color[2], r.color[3])));
      }
    } else {
      for (size_t i = 0; i < list.size(); ++i) {
        live[i]->SetType(static_cast<FilterType>(list[i].kind));
        live[i]->SetSaturation(list[i].saturation);
        live[i]->SetColor(list[i].color[0], list[i].color[1], list[i].color[2], list[i].color[3]);
      }
    }
    if (ObjectRecord* r = FindRecord(name)) r->filters = list;
    return true;
  });
}

// ---- emitters -------------------------------------------------------------------------------------

std::vector<EmitterRecord> ReadEmitters(const GameObject& object) {
  std::vector<EmitterRecord> emitters;
  const ObjectRecord* record = FindRecord(object.name);
  size_t levelIndex = 0;
  for (const ParticleEmitter* e : object.FindComponents<ParticleEmitter>()) {
    emitters.push_back(MakeEmitterRecord(*e));
    if (!IsLevelEmitter(*e)) continue;
    // The level's emitters show whether they run in the level, not in this moment's test.
    if (record != nullptr && levelIndex < record->emitters.size()) emitters.back().active = record->emitters[levelIndex].active;
    ++levelIndex;
  }
  return emitters;
}

std::unique_ptr<EditorCommand> SetEmitterCommand(const std::string& name, size_t index, const EmitterRecord& before,
                                                 const EmitterRecord& after) {
  return MakeSetCommand<EmitterRecord>("Emitter", name + "#" + std::to_string(index), before, after,
                                       [name, index](const EmitterRecord& v) {
    GameObject* object = FindLiveObject(name);
    if (object == nullptr) return false;
    std::vector<ParticleEmitter*> live = object->FindComponents<ParticleEmitter>();
    if (index >= live.size()) return false;
    ParticleEmitter* emitter = live[index];
    // Which of the level's own emitters this is (the record lists only those).
    size_t levelIndex = 0;
    for (size_t i = 0; i < index; ++i) levelIndex += IsLevelEmitter(*live[i]) ? 1 : 0;
    const bool levelEmitter = IsLevelEmitter(*emitter);
    if (static_cast<uint32_t>(emitter->shape) != v.shape) {
      std::string keptName = emitter->name;
      const Transform* t = object->GetTransform();
      object->RemoveComponent(emitter);
      emitter = CreateEmitterFromRecord(v, t != nullptr ? t->scale[1] : 0.0f);
      emitter->name = keptName;
      object->AddComponent(emitter);
    } else {
      ApplyEmitterRecord(v, emitter);
    }
    ObjectRecord* r = FindRecord(name);
    if (levelEmitter && r != nullptr && levelIndex < r->emitters.size()) r->emitters[levelIndex] = v;
    return true;
  });
}

// ---- text -----------------------------------------------------------------------------------------

bool ReadText(const GameObject& object, TextValues* out) {
  const Text* text = TextOf(object);
  if (text == nullptr) return false;
  out->text = text->text;
  out->size = text->glyphSize;
  out->alignment = text->alignment;
  return true;
}

std::unique_ptr<EditorCommand> SetTextCommand(const std::string& name, const TextValues& before,
                                              const TextValues& after) {
  return MakeSetCommand<TextValues>("Text", name, before, after, [name](const TextValues& v) {
    GameObject* object = FindLiveObject(name);
    Text* text = object != nullptr ? TextOf(*object) : nullptr;
    if (text == nullptr) return false;
    text->glyphSize = v.size;
    text->SetText(v.text, v.size, v.alignment);
    // The text is kept by the record of the object that owns it or, for a button's label, by the
    // button's record (whether the button or its label was picked).
    auto keepLabel = [&](ObjectRecord* r) {
      if (r == nullptr || r->type != static_cast<int32_t>(ObjectType::UI)) return;
      r->hasLabel = true;
      r->label = v.text;
      r->labelSize = text->glyphSize;
      r->labelAlignment = v.alignment;
    };
    if (ObjectRecord* r = FindRecord(name)) {
      r->text = v.text;
      if (r->type == static_cast<int32_t>(ObjectType::Text)) r->scaleX = text->glyphSize;
      keepLabel(r);
    }
    if (text->owner != nullptr) {
      if (ObjectRecord* r = FindRecord(text->owner->name)) r->text = v.text;
    }
    if (text->linkedObject != nullptr) keepLabel(FindRecord(text->linkedObject->name));
    return true;
  });
}

std::unique_ptr<EditorCommand> AddLabelCommand(const std::string& name) {
  return MakeSetCommand<bool>("Add label", name, false, true, [name](bool present) {
    GameObject* object = FindLiveObject(name);
    if (object == nullptr || object->type != ObjectType::UI) return false;
    ObjectRecord* r = FindRecord(name);
    if (present) {
      if (TextOf(*object) != nullptr) return false;  // it has one already
      const Text* label = SetButtonLabel(object, "", 0.0f, kNewLabelAlignment);
      if (label == nullptr) return false;
      if (r != nullptr) {
        r->hasLabel = true;
        r->label.clear();
        r->labelSize = label->glyphSize;
        r->labelAlignment = label->alignment;
      }
      return true;
    }
    // Taken away: the label object goes, and it no longer follows the button meanwhile.
    if (GameObject* label = FindLinkedLabel(object)) {
      if (Text* text = label->FindComponent<Text>()) text->linkedObject = nullptr;
      label->destroy = true;
    }
    if (r != nullptr) {
      r->hasLabel = false;
      r->label.clear();
      r->labelSize = 0.0f;
      r->labelAlignment = 1;
    }
    return true;
  });
}

// ---- emitter timer --------------------------------------------------------------------------------

bool ReadEmitterTimer(const GameObject& object, size_t index, float* out) {
  const std::vector<ParticleEmitter*> emitters = object.FindComponents<ParticleEmitter>();
  if (index >= emitters.size()) return false;
  *out = emitters[index]->durationTimer;
  return true;
}

std::unique_ptr<EditorCommand> SetEmitterTimerCommand(const std::string& name, size_t index, float before,
                                                      float after) {
  return MakeSetCommand<float>("Emitter timer", name + "#" + std::to_string(index), before, after,
                               [name, index](float timer) {
    GameObject* object = FindLiveObject(name);
    if (object == nullptr) return false;
    std::vector<ParticleEmitter*> emitters = object->FindComponents<ParticleEmitter>();
    if (index >= emitters.size()) return false;
    emitters[index]->durationTimer = timer;
    return true;
  });
}

// ---- model ----------------------------------------------------------------------------------------

bool ReadModelLook(const GameObject& object, ModelLookValues* out) {
  const auto* model = object.GetComponentAs<Model>(SlotOf(ComponentType::Model));
  if (model == nullptr) return false;
  out->texture = model->GetTextureName();
  std::copy(model->GetMesh()->color, model->GetMesh()->color + 4, out->color);
  if (const Level* level = EditedLevel()) out->levelTextures = level->textures;
  return true;
}

std::unique_ptr<EditorCommand> SetModelLookCommand(const std::string& name, const ModelLookValues& before,
                                                   const ModelLookValues& after) {
  return MakeSetCommand<ModelLookValues>("Model", name, before, after, [name](const ModelLookValues& v) {
    GameObject* object = FindLiveObject(name);
    auto* model = object != nullptr ? object->GetComponentAs<Model>(SlotOf(ComponentType::Model)) : nullptr;
    if (model == nullptr) return false;
    model->SetTextureName(v.texture);
    model->SetColor(v.color[0], v.color[1], v.color[2], v.color[3]);
    // The next draw looks the picture up again (and remakes the buffers if the format changed).
    model->GetMesh()->texture = nullptr;
    model->initialized = false;
    if (ObjectRecord* r = FindRecord(name)) {
      r->texture = v.texture;
      std::copy(v.color, v.color + 4, r->color);
    }
    if (Level* level = EditedLevel()) level->textures = v.levelTextures;
    return true;
  });
}

// ---- UI handler -----------------------------------------------------------------------------------

bool ReadUiHandler(const GameObject& object, UiHandlerValues* out) {
  const UIHandler* handler = HandlerOf(&object);
  if (handler == nullptr) return false;
  out->active = handler->active;
  out->fixedToScreen = handler->fixedToScreen;
  std::copy(handler->screenPosition, handler->screenPosition + 3, out->screenPosition);
  return true;
}

std::unique_ptr<EditorCommand> SetUiHandlerCommand(const std::string& name, const UiHandlerValues& before,
                                                   const UiHandlerValues& after) {
  return MakeSetCommand<UiHandlerValues>("UI handler", name, before, after, [name](const UiHandlerValues& v) {
    GameObject* object = FindLiveObject(name);
    UIHandler* handler = HandlerOf(object);
    if (handler == nullptr) return false;
    handler->active = v.active;
    std::copy(v.screenPosition, v.screenPosition + 3, handler->screenPosition);
    if (ObjectRecord* r = FindRecord(name)) r->buttonActive = v.active;
    if (!handler->fixedToScreen) return true;
    // The pin is applied by the handler's update, which does not run while the editor is stopped.
    if (Transform* t = object->GetTransform()) {
      t->position[0] = MainCamera().position[0] + v.screenPosition[0];
      t->position[1] = MainCamera().position[1] + v.screenPosition[1];
    }
    if (auto* box = object->GetComponentAs<BoxCollision>(SlotOf(ComponentType::Collision))) box->Draw();
    if (ObjectRecord* r = FindRecord(name); r != nullptr && r->fixedToScreen) {
      r->translationX = v.screenPosition[0];
      r->translationY = v.screenPosition[1];
    }
    return true;
  });
}

// ---- escape zone ----------------------------------------------------------------------------------

std::unique_ptr<EditorCommand> SetEscapeDirectionCommand(const std::string& name, EscapeDirection before,
                                                         EscapeDirection after) {
  return MakeSetCommand<EscapeDirection>("Escape direction", name, before, after, [name](EscapeDirection d) {
    GameObject* object = FindLiveObject(name);
    if (object == nullptr) return false;
    if (GetSceneHooks().setEscapeDirection != nullptr) GetSceneHooks().setEscapeDirection(object, d);
    if (ObjectRecord* r = FindRecord(name)) r->escapeDirection = d;
    return true;
  });
}

// ---- level ----------------------------------------------------------------------------------------

LevelValues ReadLevelValues() {
  LevelValues v;
  const Level* level = EditedLevel();
  if (level == nullptr) return v;
  v.foodGoal = static_cast<int32_t>(level->foodGoal);
  v.lives = static_cast<int32_t>(level->lives);
  v.sRank = static_cast<int32_t>(level->sRank);
  v.aRank = static_cast<int32_t>(level->aRank);
  v.bRank = static_cast<int32_t>(level->bRank);
  std::copy(level->ambient, level->ambient + 4, v.ambient);
  return v;
}

std::unique_ptr<EditorCommand> SetLevelValuesCommand(const LevelValues& before, const LevelValues& after) {
  return MakeSetCommand<LevelValues>("Level", "", before, after, [](const LevelValues& v) {
    Level* level = EditedLevel();
    if (level == nullptr) return false;
    // Counts cannot go below zero: the file holds them unsigned.
    level->foodGoal = static_cast<uint32_t>(std::max(0, v.foodGoal));
    level->lives = static_cast<uint32_t>(std::max(0, v.lives));
    level->sRank = static_cast<float>(v.sRank);
    level->aRank = static_cast<float>(v.aRank);
    level->bRank = static_cast<float>(v.bRank);
    std::copy(v.ambient, v.ambient + 4, level->ambient);
    SetAmbient(v.ambient[0], v.ambient[1], v.ambient[2], v.ambient[3]);
    return true;
  });
}
