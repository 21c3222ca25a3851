#include "scenes/Factory.h"

#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>

#include "audio/Sound.h"
#include "core/Logger.h"
#include "graphics/Animation.h"
#include "graphics/Filter.h"
#include "graphics/Model.h"
#include "graphics/ParticleEmitter.h"
#include "graphics/Text.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/LevelRecords.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/HumanTuning.h"
#include "scenes/PathNode.h"

namespace {

// Layers by depth: a smaller z is nearer the camera.
constexpr float kGroundDepth = 0.0f;
constexpr float kBackgroundDepth = 1.5f;
constexpr float kButtonDepth = -10.0f;
constexpr float kTextDepth = -11.0f;
constexpr float kTransitionDepth = -20.0f;

// A text object placed in the editor: a 300 x 50 black panel labelled "text".
constexpr float kTextPanelWidth = 300.0f;
constexpr float kTextPanelHeight = 50.0f;
constexpr float kTextPanelGlyph = 10.0f;
constexpr uint32_t kCentred = 1;

struct FactoryState {
  FactoryHooks hooks;
  FactoryFaults faults;
};

FactoryState& State() {
  static FactoryState state;
  return state;
}

std::string NameFor(const char* prefix) { return prefix + std::to_string(ObjectCounter()); }

// Buttons and labels take the counter's number as it stands, while a level record leaves the counter
// at its own number: after a button record the next button (the heads-up display a run builds) would
// repeat that button's name. They step past every name a listed object holds.
std::string FreeNameFor(const char* prefix) {
  std::string name = NameFor(prefix);
  while (FindObject(name) != nullptr) {
    ++ObjectCounter();
    name = NameFor(prefix);
  }
  return name;
}

// ---- the emitter table ------------------------------------------------------------------------

constexpr float kRadiusOfScaleY = -1.0f;  // the emitter's radius is its owner's height

struct EmitterSettings {
  const char* name;
  const char* texture;
  EmitterShape shape;
  float radius;
  bool active;
  float duration;
  bool loop;
  float rate;
  int32_t perBurst;
  float lifeMin, lifeMax;
  float speedMin, speedMax;
  float directionMin, directionMax;
  float rotationMin, rotationMax;
  float scaleMin, scaleMax;
  int32_t maxParticles;
  bool slowToZero;
  float deceleration;
  float z;
};

constexpr EmitterShape kCircle = EmitterShape::Circle;
constexpr EmitterShape kLine = EmitterShape::Line;

// Player and enemy emitters keep 0.97 as their (unused unless slowing) braking factor, food 0.99.
const EmitterSettings kPlayerEmitters[] = {
    {"footstep", "footstep2.png", kCircle, 20, false, 0, false, 0, 1, 10, 10, 0, 0, 0, 0, 0, 360, 20, 20, 50, false, 0.97f, 0.5f},
    {"dust", "dust.png", kCircle, 20, false, 0, false, 0, 5, 1, 2, 50, 100, 0, 0, 0, 360, 5, 10, 50, false, 0.97f, 0.5f},
    {"notice", "exclaim.png", kCircle, 20, false, 0, false, 0, 1, 1, 1, 50, 50, 90, 90, 0, 0, 30, 30, 20, false, 0.97f, -1},
    {"escape", "star.png", kCircle, 20, false, 0, false, 0, 20, 2, 2, 100, 100, 45, 135, 0, 360, 10, 10, 20, false, 0.97f, -1},
    {"death", "dust.png", kCircle, 20, false, 0, false, 0, 20, 2, 2, 100, 100, 0, 360, 0, 360, 10, 10, 20, false, 0.97f, -1},
};

const EmitterSettings kFoodEmitters[] = {
    {"crumbs", "food.png", kCircle, kRadiusOfScaleY, true, 10, true, 3, 1, 5, 5, 0.01f, 0.02f, 0, 360, 0, 360, 5, 10, 4, true, 0.99f, 0.5f},
    {"collision", "food.png", kCircle, kRadiusOfScaleY, false, 0, false, 0, 10, 10, 20, 20, 40, 0, 360, 0, 360, 5, 10, 100, true, 0.99f, 0.5f},
    {"collection", "star.png", kCircle, kRadiusOfScaleY, false, 2, false, 3, 10, 1, 2, 100, 150, 0, 360, 0, 360, 5, 10, 20, false, 0.99f, -0.5f},
};

const EmitterSettings kEnemyEmitters[] = {
    {"footstep", "footstep.png", kCircle, 20, false, 0, false, 0, 1, 10, 10, 0, 0, 0, 0, 0, 360, 20, 20, 50, false, 0.97f, 0.3f},
    {"madfoot", "madfoot.png", kCircle, 20, false, 0, false, 0, 1, 10, 10, 0, 0, 0, 0, 0, 360, 20, 20, 50, false, 0.97f, 0.3f},
    {"notice", "questionMark.png", kCircle, 20, false, 0, false, 0, 1, 1, 1, 50, 50, 90, 90, 0, 0, 30, 30, 20, false, 0.97f, -1},
    {"chase", "exclaim.png", kCircle, 20, false, 0, false, 0, 1, 1, 1, 50, 50, 90, 90, 0, 0, 30, 30, 20, false, 0.97f, -1},
    {"stun", "star.png", kCircle, 20, false, 0, true, 0.5f, 2, 1, 1, 20, 25, 80, 100, 0, 0, 30, 30, 20, false, 0.97f, -1},
};

const EmitterSettings kGlassEmitters[] = {
    {"shatter", "glass2.png", kLine, 0, false, 0, false, 0, 100, 20, 20, 500, 800, 0, 0, 0, 360, 5, 25, 100, true, 0.97f, 0.3f},
};

std::unique_ptr<ParticleEmitter> MakeEmitter(const EmitterSettings& settings, float ownerHeight) {
  std::unique_ptr<ParticleEmitter> e;
  if (settings.shape == kLine) e = std::make_unique<lineEmitter>();
  else e = std::make_unique<circleEmitter>(settings.radius == kRadiusOfScaleY ? ownerHeight : settings.radius);
  e->name = settings.name;
  e->textureName = settings.texture;
  e->active = settings.active;
  e->duration = settings.duration;
  e->durationTimer = settings.duration;
  e->loop = settings.loop;
  e->emissionRate = settings.rate;
  e->emissionTimer = settings.duration;
  e->particlesPerEmission = settings.perBurst;
  e->lifeMin = settings.lifeMin;
  e->lifeMax = settings.lifeMax;
  e->velocityMin = settings.speedMin;
  e->velocityMax = settings.speedMax;
  e->accelerationMin = 0.0f;
  e->accelerationMax = 0.0f;
  e->directionMin = settings.directionMin;
  e->directionMax = settings.directionMax;
  e->rotationMin = settings.rotationMin;
  e->rotationMax = settings.rotationMax;
  e->scaleMin = settings.scaleMin;
  e->scaleMax = settings.scaleMax;
  e->maxParticles = settings.maxParticles;
  e->slowToZero = settings.slowToZero;
  e->deceleration = settings.deceleration;
  e->particleZ = settings.z;
  e->buffersPending = true;
  return e;
}

// ---- sound events -----------------------------------------------------------------------------

struct SoundEvent {
  const char* path;
  const char* name;
};

const SoundEvent kPlayerSounds[] = {
    {"event:/SFX/Player/PlayerWindup", "windup"},
    {"event:/SFX/Player/PlayerThrow", "throw"},
    {"event:/SFX/Player/PlayerFootsteps", "footsteps_p"},
    {"event:/SFX/Player/PlayerFootstepsVent", "footsteps_p_vent"},
    {"event:/SFX/Player/PlayerFootstepsWood", "footsteps_p_wood"},
    {"event:/SFX/Food/FoodDrop", "dropfood"},
    {"event:/SFX/Food/FoodGrab", "grabfood"},
    {"event:/SFX/Menu/Pause", "pause"},
    {"event:/SFX/Menu/PauseEnd", "nopause"},
};
const SoundEvent kFoodSounds[] = {
    {"event:/SFX/Food/FoodCollision", "collision_f"},
    {"event:/SFX/Food/FoodCollect", "collect"},
};
// The bank spells the enemy folder "Enemey".
const SoundEvent kEnemySounds[] = {
    {"event:/SFX/Enemey/EnemyCatch", "catch_e"},
    {"event:/SFX/Enemey/EnemyFootsteps", "footstep_e"},
    {"event:/SFX/Enemey/EnemyFootstepsChase", "footstepchase_e"},
    {"event:/SFX/Enemey/EnemyFullAlert", "fullalert_e"},
    {"event:/SFX/Enemey/EnemyGiveUp", "giveup_e"},
    {"event:/SFX/Enemey/EnemyHalfAlert", "halfalert_e"},
    {"event:/SFX/Enemey/EnemyHit", "enemyhit_e"},
};
const SoundEvent kGlassSounds[] = {
    {"event:/SFX/GlassShatter", "shatter"},
};

// ---- assembling an archetype ------------------------------------------------------------------

// The archetype's log lines; null where the archetype has none.
struct ArchetypeLog {
  const char* failed;     // the object (or a part other than the ones below) could not be built
  const char* collision;  // its collision shape could not be built
  const char* sound;      // its Sound could not be built (the object is still built)
  const char* created;
};

void LogIf(const char* message, LogLevel level) {
  if (message != nullptr) Log(message, level);
}

// Thrown inside an assembly when a required part fails; carries the line to log.
struct PartFailed {
  const char* message;
};

// Builds one object. The object and every part are owned by smart pointers until they are handed
// over, so a failure anywhere frees everything built so far.
class Assembly {
 public:
  explicit Assembly(const ArchetypeLog& log) : log_(log) {}

  GameObject* Begin(std::unique_ptr<GameObject> object) {
    object_ = std::move(object);
    if (State().faults.object) throw std::bad_alloc();
    return object_.get();
  }
  template <class T, class... Args>
  T* Make(const std::string& name, Args&&... args) {
    object_ = std::make_unique<T>(name, std::forward<Args>(args)...);
    if (State().faults.object) throw std::bad_alloc();
    return static_cast<T*>(object_.get());
  }
  GameObject* object() { return object_.get(); }

  template <class T, class... Args>
  T* Add(Args&&... args) {
    return Attach(std::make_unique<T>(std::forward<Args>(args)...));
  }
  template <class T>
  T* Attach(std::unique_ptr<T> part) {
    T* raw = part.get();
    object_->AddComponent(raw);
    part.release();
    return raw;
  }
  // The collision shape is the one part without which an archetype is not built.
  template <class T, class... Args>
  T* Shape(Args&&... args) {
    std::unique_ptr<T> shape;
    try {
      shape = std::make_unique<T>(std::forward<Args>(args)...);
      if (State().faults.collision) throw std::bad_alloc();
    } catch (const std::bad_alloc&) {
      throw PartFailed{log_.collision != nullptr ? log_.collision : log_.failed};
    }
    return Attach(std::move(shape));
  }
  // A Sound holding the events, each added and then loaded in order. A failure is logged and the
  // object goes on without sounds.
  template <size_t N>
  void Sounds(const SoundEvent (&events)[N]) {
    try {
      auto sound = std::make_unique<Sound>();
      if (State().faults.sound) throw std::bad_alloc();
      for (const SoundEvent& e : events) {
        sound->AddSound(e.name, e.path);
        sound->LoadSound(e.name);
      }
      Attach(std::move(sound));
    } catch (const std::bad_alloc&) {
      LogIf(log_.sound, LogLevel::Warning);
    }
  }
  template <size_t N>
  void Emitters(const EmitterSettings (&specs)[N]) {
    const float height = object_->GetTransform()->scale[1];
    for (const EmitterSettings& settings : specs) Attach(MakeEmitter(settings, height));
  }

  // Hands the object to the object list.
  GameObject* Finish() {
    if (auto* kinematics = object_->GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics))) {
      kinematics->StartAtOwner();
    }
    AddObject(object_.get());
    LogIf(log_.created, LogLevel::Debug);
    return object_.release();
  }

 private:
  const ArchetypeLog& log_;
  std::unique_ptr<GameObject> object_;
};

// Runs an archetype's recipe; null (with the archetype's line logged) when anything fails.
GameObject* Assemble(const ArchetypeLog& log, const std::function<void(Assembly&)>& recipe) {
  Assembly assembly(log);
  try {
    recipe(assembly);
    return assembly.Finish();
  } catch (const PartFailed& failure) {
    LogIf(failure.message, LogLevel::Warning);
  } catch (const std::bad_alloc&) {
    LogIf(log.failed, LogLevel::Warning);
  }
  return nullptr;
}

std::unique_ptr<GameObject> NewObject(const char* prefix, float x, float y, float z, float w, float h,
                                      ObjectType type) {
  return std::make_unique<GameObject>(NameFor(prefix), x, y, z, w, h, type);
}

const ArchetypeLog kPlayerLog = {"Player object failed to create", nullptr, "Player object's Sound failed to create",
                                 "Player object created"};
const ArchetypeLog kFoodLog = {"Food object failed to create", nullptr,
                               "food object's Sound component failed to create", "Food Object Created"};
const ArchetypeLog kEnemyLog = {"failed to create Human enemy", nullptr, "enemy's sound failed to create",
                                "Enemy object created"};
const ArchetypeLog kWallLog = {"Wall object failed to create", "Wall object's collision failed to create", nullptr,
                               "Wall object created"};
const ArchetypeLog kVentLog = {"failed to create vent", "vent's collision model failed to create", nullptr,
                               "Vent created"};
const ArchetypeLog kCoverLog = {"failed to create Cover object", "Cover's collision failed to create", nullptr,
                                "Cover created"};
const ArchetypeLog kGlassLog = {"failed to create glass", "Glass's collision failed to create",
                                "Glass object's Sound failed to create", "Glass created"};
const ArchetypeLog kCollectionLog = {"failed to create collection zone", "Collection zone's collision failed to create",
                                     nullptr, "Collection Zone Created"};
const ArchetypeLog kBackgroundLog = {"Background object failed to create", nullptr, nullptr,
                                     "Background object created"};
const ArchetypeLog kKillzoneLog = {"Killzone object failed to create", nullptr, nullptr, "Killzone object created"};
const ArchetypeLog kBarrierLog = {"failed to create escape barrier", "Escape barrier's collision failed to create",
                                  nullptr, "Escape barrier created"};
const ArchetypeLog kZoneLog = {"Escape zone object failed to create", "Escape zone's collision failed to create",
                               nullptr, "Escape zone object created"};
const ArchetypeLog kNodeLog = {"Patrol node object creation failed", nullptr, nullptr, nullptr};
const ArchetypeLog kUILog = {"UI object creation failed", "UI object's collision failed to create", nullptr, nullptr};
const ArchetypeLog kTransitionLog = {"Transition object failed to create", nullptr, nullptr,
                                     "Transition object created"};
const ArchetypeLog kSilentLog = {nullptr, nullptr, nullptr, nullptr};

void CallHook(void (*hook)(GameObject*), GameObject* object) {
  if (hook != nullptr) hook(object);
}

void CallHook(void (*hook)(GameObject*, bool), GameObject* object, bool value) {
  if (hook != nullptr) hook(object, value);
}

Model* SlotModel(GameObject* object) {
  return object != nullptr ? object->GetComponentAs<Model>(SlotOf(ComponentType::Model)) : nullptr;
}

// The picture the editor's place tool gives each archetype; null where it keeps its own.
const char* EditorTexture(int type) {
  switch (static_cast<ObjectType>(type)) {
    case ObjectType::Player: return "player.png";
    case ObjectType::Food: return "food.png";
    case ObjectType::Enemy: return "enemy.png";
    case ObjectType::Vent: return "vent.png";
    case ObjectType::Cover: return "cover.png";
    case ObjectType::Wall: return "wall.png";
    case ObjectType::Collection: return "collection.png";
    case ObjectType::Background: return "background.png";
    case ObjectType::KillZone: return "killzone.png";
    case ObjectType::Transition: return "transition.png";
    default: return nullptr;
  }
}

// The archetypes that take nothing but a position.
GameObject* CreateAtPoint(int type, float x, float y) {
  switch (static_cast<ObjectType>(type)) {
    case ObjectType::Player: return CreatePlayer(x, y);
    case ObjectType::Food: return CreateFood(x, y);
    case ObjectType::Enemy: return CreateEnemy(x, y);
    case ObjectType::Vent: return CreateVent(x, y);
    case ObjectType::Cover: return CreateCover(x, y);
    case ObjectType::Glass: return CreateGlass(x, y);
    case ObjectType::Wall: return CreateWall(x, y);
    case ObjectType::Collection: return CreateCollection(x, y);
    case ObjectType::Background: return CreateBackground(x, y);
    case ObjectType::EscapeBarrier: return CreateEscapeBarrier(x, y);
    case ObjectType::EscapeZone: return CreateEscapeZone(x, y);
    case ObjectType::Node: return CreateNode(x, y);
    case ObjectType::Transition: return CreateTransition(x, y);
    case ObjectType::Light: return CreateLight(x, y);
    default: return nullptr;
  }
}

}  // namespace

FactoryHooks& GetFactoryHooks() { return State().hooks; }
FactoryFaults& GetFactoryFaults() { return State().faults; }

// ---- the archetypes ---------------------------------------------------------------------------

GameObject* CreatePlayer(float x, float y) {
  return Assemble(kPlayerLog, [&](Assembly& a) {
    a.Begin(NewObject("Player_", x, y, kGroundDepth, 43.0f, 116.0f, ObjectType::Player));
    a.Add<Model>("player.png");
    a.Add<Model>("hitCircle.png", true);
    a.Add<Kinematics>()->maxSpeed = 50.0f;
    a.Shape<CircleCollision>(20.0f);
    CallHook(State().hooks.attachPlayerBehavior, a.object());
    a.Sounds(kPlayerSounds);
    AnimationClip walk;
    walk.rows = 1;
    walk.columns = 8;
    walk.frameCount = 8;
    walk.frameDuration = 0.1f;
    walk.loop = true;
    walk.playing = false;
    auto* animation = a.Add<Animation>();
    animation->AddAnimation("walk", walk);
    // The sheet shows its standing pose until the player walks: frame 0 shows the sheet's last
    // cell, and the clip stays still until the player behaviour plays it.
    animation->SetAnimation("walk");
    animation->currentClip->playing = false;
    a.Emitters(kPlayerEmitters);
  });
}

GameObject* CreateFood(float x, float y) {
  return Assemble(kFoodLog, [&](Assembly& a) {
    a.Begin(NewObject("Food_", x, y, kGroundDepth, 20.0f, 20.0f, ObjectType::Food));
    a.Add<Model>("food.png");
    a.Add<Model>("hitCircle.png", true);
    auto* kinematics = a.Add<Kinematics>();
    kinematics->maxSpeed = 1000.0f;
    kinematics->deceleration = 1000.0f;
    a.Shape<CircleCollision>(20.0f)->onCollision = State().hooks.foodRule;
    a.Sounds(kFoodSounds);
    a.Emitters(kFoodEmitters);
  });
}

GameObject* CreateEnemy(float x, float y) {
  return Assemble(kEnemyLog, [&](Assembly& a) {
    a.Begin(NewObject("Enemy_", x, y, kGroundDepth, 60.0f, 30.0f, ObjectType::Enemy));
    a.Add<Model>("enemy.png");
    a.Add<Model>("hitCircle.png", true);
    a.Add<Kinematics>()->maxSpeed = 4.0f;
    a.Shape<CircleCollision>(30.0f);
    // Every new human puts the shared human tuning back to its defaults; attribute files read after
    // the level's objects are built override them.
    ResetHumanTuning();
    CallHook(State().hooks.attachHumanBehavior, a.object());
    a.Sounds(kEnemySounds);
    a.Emitters(kEnemyEmitters);
  });
}

GameObject* CreateWall(float x, float y) {
  return Assemble(kWallLog, [&](Assembly& a) {
    a.Begin(NewObject("Wall_", x, y, kGroundDepth, 100.0f, 100.0f, ObjectType::Wall));
    // Walls show only as collision outlines.
    a.Add<Model>("wall.png", true);
    a.Add<Kinematics>()->maxSpeed = 20.0f;
    a.Shape<BoxCollision>()->onCollision = WallCollisionHandler;
  });
}

GameObject* CreateVent(float x, float y) {
  return Assemble(kVentLog, [&](Assembly& a) {
    a.Begin(NewObject("Vent_", x, y, kGroundDepth, 50.0f, 50.0f, ObjectType::Vent));
    a.Add<Model>("vent.png");
    a.Shape<BoxCollision>();
    a.Add<Filter>(FilterType::Color, 0.0f, Vector4(0.0f, 0.0f, 0.0f, 0.5f));
  });
}

GameObject* CreateCover(float x, float y) {
  return Assemble(kCoverLog, [&](Assembly& a) {
    a.Begin(NewObject("Cover_", x, y, kGroundDepth, 100.0f, 200.0f, ObjectType::Cover));
    a.Add<Model>("cover.png");
    a.Shape<BoxCollision>();
    a.Add<Filter>(FilterType::Color, 0.0f, Vector4(0.0f, 0.0f, 0.0f, 1.0f));
  });
}

GameObject* CreateGlass(float x, float y) {
  return Assemble(kGlassLog, [&](Assembly& a) {
    a.Begin(NewObject("Glass_", x, y, kGroundDepth, 25.0f, 100.0f, ObjectType::Glass));
    a.Add<Model>("glass.png");
    a.Shape<BoxCollision>();
    CallHook(State().hooks.attachGlassBehavior, a.object());
    a.Sounds(kGlassSounds);
    a.Emitters(kGlassEmitters);
  });
}

GameObject* CreateCollection(float x, float y) {
  return Assemble(kCollectionLog, [&](Assembly& a) {
    a.Begin(NewObject("Collection_", x, y, kGroundDepth, 200.0f, 150.0f, ObjectType::Collection));
    a.Add<Model>("collection.png");
    a.Shape<BoxCollision>();
  });
}

GameObject* CreateBackground(float x, float y) {
  return Assemble(kBackgroundLog, [&](Assembly& a) {
    a.Begin(NewObject("background_", x, y, kBackgroundDepth, x, y, ObjectType::Background));
    a.Add<Model>("download.tga");
  });
}

GameObject* CreateKillzone(float x, float y, float width, float height) {
  return Assemble(kKillzoneLog, [&](Assembly& a) {
    a.Begin(NewObject("Killzone_", x, y, kGroundDepth, width, height, ObjectType::KillZone));
    a.Add<Model>("killzone.png");
    // The player's contact handler sends it back to the level start when it touches a kill zone; a
    // zone needs a shape for that contact to be reported at all.
    a.Shape<BoxCollision>();
  });
}

GameObject* CreateEscapeBarrier(float x, float y) {
  return Assemble(kBarrierLog, [&](Assembly& a) {
    a.Begin(NewObject("Escapebarrier_", x, y, kGroundDepth, 50.0f, 100.0f, ObjectType::EscapeBarrier));
    a.Add<Model>("vent.png");
    a.Shape<BoxCollision>();
    CallHook(State().hooks.attachEscapeBarrierBehavior, a.object());
  });
}

GameObject* CreateEscapeZone(float x, float y) {
  return Assemble(kZoneLog, [&](Assembly& a) {
    a.Begin(NewObject("Escapezone_", x, y, kGroundDepth, 50.0f, 50.0f, ObjectType::EscapeZone));
    a.Add<Model>("vent.png", true);
    a.Shape<BoxCollision>();
    CallHook(State().hooks.attachEscapeZoneBehavior, a.object());
  });
}

GameObject* CreateNode(float x, float y) {
  return Assemble(kNodeLog, [&](Assembly& a) {
    a.Make<PathNode>(NameFor("Node_"), x, y, kGroundDepth);
    a.Add<Model>("patrolPoint.png", true);
    a.Add<Kinematics>()->maxSpeed = 0.0f;
    a.Shape<CircleCollision>(25.0f);
  });
}

GameObject* CreateUI(float x, float y, float width, float height) {
  const std::string name = FreeNameFor("UI_");
  ++ObjectCounter();
  return Assemble(kUILog, [&](Assembly& a) {
    a.Begin(std::make_unique<GameObject>(name, x, y, kButtonDepth, width, height, ObjectType::UI));
    a.Add<Model>("");
    a.Shape<BoxCollision>();
    CallHook(State().hooks.attachUIHandler, a.object());
  });
}

GameObject* CreateTransition(float x, float y) {
  return Assemble(kTransitionLog, [&](Assembly& a) {
    a.Begin(NewObject("Transition_", x, y, kTransitionDepth, 5000.0f, 3000.0f, ObjectType::Transition));
    a.Add<Model>("");  // drawn in its colour; the scene manager fades it
  });
}

GameObject* CreateLight(float x, float y) {
  return Assemble(kSilentLog, [&](Assembly& a) {
    a.Begin(NewObject("Light_", x, y, kGroundDepth, 50.0f, 50.0f, ObjectType::Light));
    a.Add<Model>("lightbulb.png", true);
    a.Shape<CircleCollision>(30.0f);
  });
}

GameObject* CreateText(float x, float y, float size, const std::string& label) {
  const std::string name = FreeNameFor("Text_");
  ++ObjectCounter();
  return Assemble(kSilentLog, [&](Assembly& a) {
    GameObject* object = a.Begin(std::make_unique<GameObject>(name, x, y, kTextDepth, size, size, ObjectType::Text));
    // An untextured placeholder, so the first glyph build picks the light font sheet.
    a.Add<Model>("");
    Text* text = a.Add<Text>();
    text->text = label;
    text->glyphSize = size;
    BuildGlyphs(x, y, size, size, label, object);
  });
}

// ---- the dispatchers --------------------------------------------------------------------------

GameObject* CreateObject(int type, float x, float y) {
  ++ObjectCounter();
  if (type < 1 || type > 18) return nullptr;
  FactoryHooks& hooks = State().hooks;
  switch (static_cast<ObjectType>(type)) {
    case ObjectType::Glass:
    case ObjectType::EscapeBarrier:
    case ObjectType::EscapeZone:
    case ObjectType::Node:
    case ObjectType::Light:
      return CreateAtPoint(type, x, y);
    case ObjectType::UI:
      return CreateUI(x, y, 80.0f, 50.0f);
    case ObjectType::Text: {
      GameObject* panel = CreateUI(x, y, kTextPanelWidth, kTextPanelHeight);
      if (panel == nullptr) return nullptr;
      if (Model* model = SlotModel(panel)) model->SetColor(0.0f, 0.0f, 0.0f, 1.0f);
      if (hooks.setButtonLabel != nullptr) hooks.setButtonLabel(panel, "text", kTextPanelGlyph, kCentred);
      if (hooks.makeButtonInert != nullptr) hooks.makeButtonInert(panel);
      return panel;
    }
    case ObjectType::KillZone: {
      GameObject* zone = CreateKillzone(x, y, 50.0f, 50.0f);
      if (Model* model = SlotModel(zone)) model->SetTextureName(EditorTexture(type));
      return zone;
    }
    default:
      break;
  }
  const char* texture = EditorTexture(type);
  if (texture == nullptr) return nullptr;  // 14 has no archetype
  GameObject* object = CreateAtPoint(type, x, y);
  if (Model* model = SlotModel(object)) model->SetTextureName(texture);
  return object;
}

NameNumber ParseNameNumber(const std::string& name, int32_t* number) {
  const size_t underscore = name.find('_');
  if (underscore == std::string::npos) return NameNumber::Invalid;
  try {
    const int value = std::stoi(name.substr(underscore + 1));
    if (number != nullptr) *number = value;
    return NameNumber::Ok;
  } catch (const std::invalid_argument&) {
    return NameNumber::Invalid;
  } catch (const std::out_of_range&) {
    return NameNumber::OutOfRange;
  }
}

GameObject* CreateObjectFromRecord(const ObjectRecord& record, RecordStatus* status) {
  RecordStatus ignored;
  RecordStatus& result = status != nullptr ? *status : ignored;
  ++ObjectCounter();

  // A level whose names cannot continue the numbering is malformed; nothing of it is built.
  int32_t number = 0;
  if (!record.id.empty() && record.type != static_cast<int32_t>(ObjectType::Text)) {
    const NameNumber parsed = ParseNameNumber(record.id, &number);
    if (parsed != NameNumber::Ok) {
      Log(parsed == NameNumber::Invalid ? "invalid stoi argument" : "stoi argument out of range", LogLevel::Error);
      result = RecordStatus::MalformedName;
      return nullptr;
    }
  }

  GameObject* object = nullptr;
  switch (record.type) {
    case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 9:
    case 12: case 13: case 15: case 17: case 18:
      object = CreateAtPoint(record.type, record.translationX, record.translationY);
      break;
    case 11:
      object = CreateKillzone(record.translationX, record.translationY, record.scaleX, record.scaleY);
      break;
    case 16:
      object = CreateUI(record.translationX, record.translationY, record.scaleX, record.scaleY);
      if (object != nullptr) CallHook(State().hooks.setFixedToScreen, object, record.fixedToScreen);
      break;
    case 10: {
      // A text record places a labelled panel; its name and numbering are not taken over.
      object = CreateObject(10, record.translationX, record.translationY);
      if (object == nullptr) {
        result = RecordStatus::Failed;
        return nullptr;
      }
      if (State().hooks.setButtonLabel != nullptr) {
        State().hooks.setButtonLabel(object, record.text, record.scaleX, kCentred);
      }
      Transform* t = object->GetTransform();
      t->scale[0] = static_cast<float>(record.text.size()) * record.scaleX;
      t->scale[1] = kTextPanelHeight;
      CallHook(State().hooks.setFixedToScreen, object, record.fixedToScreen);
      result = RecordStatus::Built;
      return object;
    }
    default:
      result = RecordStatus::UnknownType;
      return nullptr;
  }
  if (object == nullptr) {
    result = RecordStatus::Failed;
    return nullptr;
  }

  Transform* t = object->GetTransform();
  t->rotation = record.rotation;
  t->scale[0] = record.scaleX;
  t->scale[1] = record.scaleY;
  if (auto* box = object->GetComponentAs<BoxCollision>(SlotOf(ComponentType::Collision))) box->Draw();
  if (Model* model = SlotModel(object)) {
    if (!record.texture.empty()) model->SetTextureName(record.texture);
    else model->SetColor(record.color[0], record.color[1], record.color[2], record.color[3]);
  }
  if (!record.id.empty()) {
    object->name = record.id;
    ObjectCounter() = number;
  }
  result = RecordStatus::Built;
  return object;
}
