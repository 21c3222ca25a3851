#include "scenes/SceneManager.h"

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <map>

#include "audio/AudioSystem.h"
#include "core/EditorLink.h"
#include "core/FrameClock.h"
#include "core/Input.h"
#include "core/KeyCodes.h"
#include "core/Logger.h"
#include "core/Options.h"
#include "graphics/Camera.h"
#include "graphics/Filter.h"
#include "graphics/Graphics.h"
#include "graphics/Light.h"
#include "graphics/Model.h"
#include "graphics/ParticleEmitter.h"
#include "graphics/Texture.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/AttributeFile.h"
#include "scenes/Factory.h"
#include "scenes/Level.h"
#include "scenes/PathGrid.h"
#include "scenes/PatrolPaths.h"

namespace {

struct SceneFile {
  const char* path;
  int id;
};

// The scene list in load order. The credits file is listed twice: the second copy is the level
// select, a scene of its own.
constexpr SceneFile kSceneFiles[] = {
    {"Assets/Levels/empty.json", scene_id::kEmpty},
    {"Assets/Levels/SplashCorvan.json", scene_id::kSplashCorvan},
    {"Assets/Levels/SplashFMOD.json", scene_id::kSplashFmod},
    {"Assets/Levels/SplashLullwick.json", scene_id::kSplashLullwick},
    {"Assets/Levels/main_menu.json", scene_id::kMainMenu},
    {"Assets/Levels/level1.json", scene_id::kLevel1},
    {"Assets/Levels/level2.json", scene_id::kLevel2},
    {"Assets/Levels/level3.json", scene_id::kLevel3},
    {"Assets/Levels/EndScene.json", scene_id::kEndScene},
    {"Assets/Levels/GameOver.json", scene_id::kGameOver},
    {"Assets/Levels/YouWin.json", scene_id::kYouWin},
    {"Assets/Levels/Credits.json", scene_id::kCredits},
    {"Assets/Levels/Credits.json", scene_id::kLevelSelect},
};

// Sound names the menus and splash screens play.
constexpr const char* kMenuMusic = "menu";
constexpr const char* kLevelMusic = "levelone";
constexpr const char* kCorvanLogo = "corvan";
constexpr const char* kLullwickLogo = "lullwick";

// Depth of the transition overlay: in front of everything.
constexpr float kOverlayDepth = -20.0f;
// The player starts running out this long before a timed exit fades.
constexpr float kRunOutLead = 0.5f;
// Behaviour state 1 (Init): the player's run-out state machine restarts from there.
constexpr int kBehaviorInitState = 1;

struct SceneModule {
  std::vector<std::unique_ptr<Level>> scenes;
  SceneManagerState state;
  SceneHooks hooks;
  std::string playerName;  // name of the object built from the current scene's Player record
};

SceneModule& Module() {
  static SceneModule module;
  return module;
}

bool ValidIndex(int index) { return index >= 0 && static_cast<size_t>(index) < Module().scenes.size(); }

Level* SceneAt(int index) { return ValidIndex(index) ? Module().scenes[static_cast<size_t>(index)].get() : nullptr; }

bool PathContains(const Level& scene, const char* word) { return scene.path.find(word) != std::string::npos; }

// ---- switching ------------------------------------------------------------------------------

void UnloadScene(Level& scene) {
  for (const auto& [name, eventPath] : scene.music) StopEvent(name);
  if (Module().hooks.clearNavigableButtons) Module().hooks.clearNavigableButtons();
}

void LoadSceneResources(const Level& scene) {
  for (const std::string& name : scene.textures) TextureManager::Load("./Assets/" + name);
}

// The fade overlay lives outside the object list, so it survives every scene change; it is made
// once, where the camera looks.
void EnsureTransitionOverlay() {
  if (TransitionOverlay() != nullptr) return;
  const Camera& camera = MainCamera();
  GameObject* overlay = CreateTransition(camera.position[0], camera.position[1]);
  if (overlay == nullptr) return;
  RemoveObject(overlay);  // the factory listed it; the overlay lives outside the list
  SetTransitionOverlay(overlay);
}

bool CarriesArchetypeFilter(const GameObject& object) {
  return object.type == ObjectType::Vent || object.type == ObjectType::Cover;
}

Vector4 FilterColor(const FilterRecord& record) {
  return Vector4(record.color[0], record.color[1], record.color[2], record.color[3]);
}

// Vents and covers are made with a colour filter of their own: the first filter record replaces its
// settings, further records add filters. Every other object takes each record as a new filter.
void AttachFilters(GameObject& object, const std::vector<FilterRecord>& records) {
  for (size_t i = 0; i < records.size(); ++i) {
    const FilterRecord& record = records[i];
    auto* existing = object.GetComponentAs<Filter>(SlotOf(ComponentType::Filter));
    if (i == 0 && existing != nullptr && CarriesArchetypeFilter(object)) {
      existing->SetType(static_cast<FilterType>(record.kind));
      existing->SetSaturation(record.saturation);
      existing->SetColor(record.color[0], record.color[1], record.color[2], record.color[3]);
      continue;
    }
    object.AddComponent(new Filter(static_cast<FilterType>(record.kind), record.saturation, FilterColor(record)));
  }
}

// A level's circle emitters spread over a disc as high as their object, as the food's do.
void AttachEmitters(GameObject& object, const ObjectRecord& record) {
  for (const EmitterRecord& emitter : record.emitters) {
    object.AddComponent(CreateEmitterFromRecord(emitter, record.scaleY));
  }
}

void AttachLight(GameObject& object, const ObjectRecord& record) {
  if (!record.hasLight) return;
  Vector3 color(record.lightColor[0], record.lightColor[1], record.lightColor[2]);
  object.AddComponent(new Light(record.lightIntensity, record.lightFallOffStart, record.lightFallOffEnd, color));
}

// Builds the scene's objects from its records in record order, with their filters, emitters and
// lights, counts the food and remembers the player.
void BuildObjects(Level& scene) {
  Module().playerName.clear();
  bool reportedMalformed = false;
  for (const ObjectRecord& record : scene.objects) {
    RecordStatus status = RecordStatus::Built;
    GameObject* object = BuildObjectFromRecord(record, &status);
    // A record whose name carries no usable number is malformed: it is left out (the factory has
    // logged why) and the file is reported once; the rest of the scene still starts.
    if (status == RecordStatus::MalformedName && !reportedMalformed) {
      Log("Malformed Level file: " + scene.path, LogLevel::Error);
      reportedMalformed = true;
    }
    if (record.type == static_cast<int32_t>(ObjectType::Food)) ++scene.foodCount;
    if (object == nullptr) continue;
    if (object->type == ObjectType::Player && Module().playerName.empty()) Module().playerName = object->name;
  }
}

void LinkPatrols(const Level& scene) {
  std::vector<PatrolAssignment> humans = LinkPatrolPaths(scene.objects);
  if (Module().hooks.setPatrolPath == nullptr) return;
  for (const PatrolAssignment& h : humans) Module().hooks.setPatrolPath(h.enemy, h.firstNode);
}

void ReadAttributeFiles(const Level& scene) {
  for (const std::string& name : scene.attributes) {
    if (!LoadAttributes(name)) {
      LogProblem("The level " + scene.path + " names the attribute file " + name + ", which was not read",
                 LogLevel::Warning);
    }
  }
}

// The menu and level 1 start their music afresh. Levels 2 and 3 keep the level music running on
// from the level before, but start it when it is not playing (Enter on the end scene stops it, and
// the level select comes from the menu) and silence the menu music.
void StartSceneMusic(const Level& scene) {
  if (scene.sceneId == scene_id::kMainMenu) {
    StopEvent(kMenuMusic);
    StopEvent(kLevelMusic);
    PlayEvent(kMenuMusic);
  } else if (scene.sceneId == scene_id::kLevel1) {
    StopEvent(kMenuMusic);
    StopEvent(kLevelMusic);
    PlayEvent(kLevelMusic);
  } else if (scene.sceneId == scene_id::kLevel2 || scene.sceneId == scene_id::kLevel3) {
    StopEvent(kMenuMusic);
    if (!IsEventPlaying(kLevelMusic)) PlayEvent(kLevelMusic);
  }
}

void Call(void (*hook)()) {
  if (hook != nullptr) hook();
}

// The screens of the non-level scenes, chosen by scene id and by words in the file path. The main
// menu is built alone; the splash screens are marked so they leave by themselves.
void BuildSceneScreens(Level& scene) {
  const SceneHooks& hooks = Module().hooks;
  if (PathContains(scene, "main_menu")) {
    Call(hooks.buildMainMenu);
    return;
  }
  if (scene.sceneId == scene_id::kCredits) Call(hooks.buildCredits);
  if (scene.sceneId == scene_id::kLevelSelect) Call(hooks.buildLevelSelect);
  if (PathContains(scene, "EndScene")) Call(hooks.buildEndScene);
  if (PathContains(scene, "GameOver")) Call(hooks.buildGameOver);
  if (PathContains(scene, "YouWin")) Call(hooks.buildYouWin);
  if (PathContains(scene, "SplashCorvan") || PathContains(scene, "SplashFMOD")) scene.isSplash = true;
  if (PathContains(scene, "SplashLullwick")) {
    PlayEvent(kLullwickLogo);
    Call(hooks.buildSplashText);
    scene.isSplash = true;
  }
  if (PathContains(scene, "SplashCorvan")) PlayEvent(kCorvanLogo);
  BuildGrid();
}

void StartScene(Level& scene) {
  // The highlight is numbered below every level object: a number left over from the scene before
  // could be one a record of this scene carries, and the editor finds objects by name.
  ObjectCounter() = -1;
  Call(Module().hooks.createHighlight);
  EnsureTransitionOverlay();
  ObjectCounter() = -1;
  scene.ResetSceneState();
  // Every scene starts running: a pause taken in the frame the scene before ended (its pause key,
  // or the focus lost) has no menu here to take it back. The level start clears the pause key.
  SetPaused(false);
  // The level's food counters and goal start from zero (the food is counted as the objects are built).
  scene.foodCount = 0;
  scene.foodCollected = 0;
  scene.goalReached = false;
  if (Module().hooks.startLevel != nullptr) Module().hooks.startLevel(scene);
  SetAmbient(scene.ambient[0], scene.ambient[1], scene.ambient[2], scene.ambient[3]);
  BuildObjects(scene);
  LinkPatrols(scene);
  ReadAttributeFiles(scene);
  StartSceneMusic(scene);
  BuildSceneScreens(scene);
  if (Module().hooks.sceneStarted != nullptr) Module().hooks.sceneStarted(scene);
}

// ---- the scene update -----------------------------------------------------------------------

// Moves the overlay over the camera's view and sets its darkness; false when there is no overlay.
bool ShowOverlay(float alpha) {
  GameObject* overlay = TransitionOverlay();
  if (overlay == nullptr) return false;
  const Camera& camera = MainCamera();
  if (Transform* t = overlay->GetTransform()) {
    t->position[0] = camera.position[0];
    t->position[1] = camera.position[1];
    t->position[2] = kOverlayDepth;
  }
  if (auto* model = overlay->GetComponentAs<Model>(SlotOf(ComponentType::Model))) model->SetColor(0.0f, 0.0f, 0.0f, alpha);
  return true;
}

bool PadTriggered(const PadState& pad, int button) {
  // The flags hold the previous record's buttons; the record is this pass's.
  return (pad.state.buttons & kPadButtonMasks[button]) != 0 && !pad.flags[button];
}

// Any of the inputs that skip a splash screen or leave the end scene.
bool SkipInput() {
  const PadState& pad = Input().pads[0];
  return LeftClicked() || KeyDown(vk::Return) || KeyDown(vk::Space) || KeyDown(vk::Escape) ||
         KeyDown(vk::LShift) || KeyDown(vk::RShift) || PadTriggered(pad, PadA) || PadTriggered(pad, PadStart);
}

void StopMenuMusicOnEnter() {
  if (!KeyDown(vk::Return)) return;
  StopEvent(kMenuMusic);
  StopEvent(kLevelMusic);
}

void FadeIn(Level& scene, float dt) {
  if (scene.fadeInDone) return;
  scene.fadeTimer += dt;
  float alpha = 1.0f - scene.fadeTimer / scene.fadeDuration;
  if (alpha < 0.0f) {
    alpha = 0.0f;
    scene.fadeInDone = true;
    scene.fadeTimer = 0.0f;
  }
  if (!ShowOverlay(alpha)) scene.fadeInDone = true;
}

void HandleSplashSkip(Level& scene) {
  if (!scene.isSplash) return;
  scene.exitStarted = true;
  if (scene.splashSkipped || !SkipInput()) return;
  StopEvent(kCorvanLogo);
  StopEvent(kLullwickLogo);
  scene.splashSkipped = true;
}

void HandleEndSceneSkip(Level& scene) {
  if (PathContains(scene, "EndScene") && SkipInput()) scene.leaveRequested = true;
}

// A fade-out that begins while the fade-in still runs (a skip or a leave in the first second) takes
// over from it: the fade-in ends, and `timer`, the fade-out's clock, starts where the fade-out shows
// the darkness the fade-in had reached. The picture then only darkens, instead of jumping to fully
// lit and fading out again from there.
void TakeOverFadeIn(Level& scene, float* timer) {
  if (scene.fadeInDone) return;
  const float darkness = std::clamp(1.0f - scene.fadeTimer / scene.fadeDuration, 0.0f, 1.0f);
  scene.fadeInDone = true;
  *timer = darkness * scene.fadeDuration;
}

// One step of a fade-out; true once it is complete (at once without an overlay).
bool FadeOut(Level& scene, float dt) {
  TakeOverFadeIn(scene, &scene.fadeTimer);
  scene.fadeTimer += dt;
  bool shown = ShowOverlay(std::min(1.0f, scene.fadeTimer / scene.fadeDuration));
  return !shown || scene.fadeTimer >= scene.fadeDuration;
}

void RunOutPlayer() {
  GameObject* player = ScenePlayer();
  if (player == nullptr || player->destroy) return;
  if (Module().hooks.requestState) Module().hooks.requestState(player, kBehaviorInitState);
}

// The ways out of a scene; only the first that applies runs.
void HandleExits(Level& scene, float dt) {
  if (scene.splashSkipped) {
    // A skipped splash screen fades out at double speed straight to the menu.
    TakeOverFadeIn(scene, &scene.skipFadeTimer);
    scene.skipFadeTimer += 2.0f * dt;
    bool shown = ShowOverlay(std::min(1.0f, scene.skipFadeTimer / scene.fadeDuration));
    if (!shown || scene.skipFadeTimer >= scene.fadeDuration) RequestSceneById(scene_id::kMainMenu);
  } else if (scene.gameOver) {
    // A caught player always waits for the whole fade, overlay or not.
    TakeOverFadeIn(scene, &scene.fadeTimer);
    scene.fadeTimer += dt;
    ShowOverlay(std::min(1.0f, scene.fadeTimer / scene.fadeDuration));
    if (scene.fadeTimer >= scene.fadeDuration) {
      RequestSceneById(scene_id::kGameOver);
      if (Module().hooks.levelRunEnded != nullptr) Module().hooks.levelRunEnded(scene, false);
    }
  } else if (scene.leaveRequested) {
    if (FadeOut(scene, dt)) NextAfterEndScene();
  } else if (scene.exitStarted) {
    if (!scene.exitTimeTaken) {
      scene.exitStartTime = scene.time;
      scene.exitTimeTaken = true;
    }
    scene.exitTimer += dt;
    if (scene.exitTimer < scene.exitDelay) {
      if (scene.exitTimer > scene.exitDelay - kRunOutLead) RunOutPlayer();
      return;
    }
    if (!FadeOut(scene, dt)) return;
    if (scene.isSplash) {
      NextAfterSplash();
    } else {
      SceneState().lastLevelId = scene.sceneId;
      RequestSceneById(scene_id::kEndScene);
      if (Module().hooks.levelRunEnded != nullptr) Module().hooks.levelRunEnded(scene, true);
    }
  }
}

void FollowPlayer(const Level& scene) {
  if (EditorHalted()) return;
  if (scene.sceneId == scene_id::kMainMenu || scene.sceneId == scene_id::kCredits) return;
  if (!(scene.followLimit > scene.exitTimer)) return;
  if (const auto& pinned = GetRunOptions().camera) {  // the developer framing of --camera
    MainCamera().position[0] = pinned->first;
    MainCamera().position[1] = pinned->second;
    return;
  }
  GameObject* player = ScenePlayer();
  if (player == nullptr) return;
  auto* kinematics = player->GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics));
  if (kinematics == nullptr) return;
  MainCamera().position[0] = kinematics->lastPosition[0];
  MainCamera().position[1] = kinematics->lastPosition[1];
}

// Ctrl+L+B outlines, Ctrl+G+M invulnerable, Ctrl+Y+N the win screen, Ctrl+L+1/2/3 a level.
void HandleDeveloperKeys(const Level& scene) {
  if (!KeyDown(vk::Control)) return;
  if (KeyDown(vk::Letter('L')) && KeyTriggered(vk::Letter('B'))) {
    GetModelSettings().hideCollisionOutlines = !GetModelSettings().hideCollisionOutlines;
  }
  if (KeyDown(vk::Letter('G')) && KeyTriggered(vk::Letter('M'))) {
    SceneState().invulnerable = !SceneState().invulnerable;
  }
  if (KeyDown(vk::Letter('Y')) && KeyTriggered(vk::Letter('N'))) RequestSceneById(scene_id::kYouWin);
  if (KeyDown(vk::Letter('L'))) {
    constexpr int kLevels[] = {scene_id::kLevel1, scene_id::kLevel2, scene_id::kLevel3};
    for (int n = 0; n < 3; ++n) {
      if (!KeyTriggered(vk::Digit(n + 1))) continue;
      SceneState().lastLevelId = scene.sceneId;
      RequestSceneById(kLevels[n]);
    }
  }
}

// One frame of the current scene, in the game's order.
void SceneUpdate(Level& scene, float dt) {
  scene.time += dt;
  StopMenuMusicOnEnter();
  FadeIn(scene, dt);
  HandleSplashSkip(scene);
  HandleEndSceneSkip(scene);
  HandleExits(scene, dt);
  Call(Module().hooks.handleRetry);
  FollowPlayer(scene);
  HandleDeveloperKeys(scene);
}

void ChangeScene(int next) {
  SceneManagerState& state = SceneState();
  if (Level* current = SceneAt(state.currentScene)) UnloadScene(*current);
  ClearTextureList();
  ClearObjects();
  MainCamera().position[0] = 0.0f;
  MainCamera().position[1] = 0.0f;
  Level& scene = *SceneAt(next);
  LoadSceneResources(scene);
  StartScene(scene);
  state.currentScene = next;
}

// A text record's panel is numbered by the factory like a new button; it takes its record's name,
// so the object can be found by the record that made it (the editor edits it through that name).
// A label numbered with the same name steps aside to a number no object has.
void NameAfterRecord(GameObject& object, const std::string& name) {
  if (name.empty()) return;
  object.name = name;
  for (GameObject* other : Objects()) {
    if (other == nullptr || other == &object || other->name != name) continue;
    const std::string prefix = name.substr(0, name.find('_') + 1);
    int32_t number = ObjectCounter();
    std::string fresh;
    do {
      fresh = prefix + std::to_string(++number);
    } while (FindObject(fresh) != nullptr);
    other->name = fresh;
  }
}

void RestartScene() {
  SceneManagerState& state = SceneState();
  state.requestedScene = state.currentScene;
  Level* current = SceneAt(state.currentScene);
  if (current == nullptr) return;
  UnloadScene(*current);
  ClearObjects();
  StartScene(*current);
}

}  // namespace

GameObject* BuildObjectFromRecord(const ObjectRecord& record, RecordStatus* status) {
  GameObject* object = CreateObjectFromRecord(record, status);
  if (object == nullptr) return nullptr;
  if (record.type == static_cast<int32_t>(ObjectType::Text)) NameAfterRecord(*object, record.id);
  AttachFilters(*object, record.filters);
  AttachEmitters(*object, record);
  AttachLight(*object, record);
  if (object->type == ObjectType::EscapeZone && Module().hooks.setEscapeDirection) {
    Module().hooks.setEscapeDirection(object, record.escapeDirection);
  }
  // A button's label is made the way the menus make theirs.
  const FactoryHooks& factory = GetFactoryHooks();
  const bool button = record.type == static_cast<int32_t>(ObjectType::UI);
  if (button && record.hasLabel && factory.setButtonLabel != nullptr) {
    factory.setButtonLabel(object, record.label, record.labelSize, record.labelAlignment);
  }
  if (button && !record.buttonActive && factory.makeButtonInert != nullptr) factory.makeButtonInert(object);
  return object;
}

bool IsSceneId(int id) {
  for (const SceneFile& file : kSceneFiles) {
    if (file.id == id) return true;
  }
  return false;
}

std::string SceneIdList() {
  std::map<int, std::string> names;
  for (const SceneFile& file : kSceneFiles) {
    // The level select is the credits file read a second time: named by what it is.
    names[file.id] = file.id == scene_id::kLevelSelect ? "level select" : std::filesystem::path(file.path).stem().string();
  }
  std::string list;
  for (const auto& [id, name] : names) list += (list.empty() ? "" : ", ") + std::to_string(id) + " " + name;
  return list;
}

SceneManagerState& SceneState() { return Module().state; }
SceneHooks& GetSceneHooks() { return Module().hooks; }
const std::vector<std::unique_ptr<Level>>& SceneList() { return Module().scenes; }

Level* AddScene(std::unique_ptr<Level> scene, int sceneId) {
  if (scene == nullptr) return nullptr;
  scene->sceneIndex = static_cast<int32_t>(Module().scenes.size());
  scene->sceneId = sceneId;
  // The graphics frame runs the scenes' update and releases them at shutdown.
  SceneSteps steps;
  steps.update = UpdateScenes;
  steps.destroy = DestroySceneList;
  SetSceneSteps(steps);
  Module().scenes.push_back(std::move(scene));
  return Module().scenes.back().get();
}

void BuildSceneList() {
  DestroySceneList();
  for (const SceneFile& file : kSceneFiles) {
    std::unique_ptr<Level> scene = LoadLevel(file.path);
    // Menus navigate by index, so a file that could not be read still keeps its place.
    if (scene == nullptr) {
      LogProblem("Scene " + std::to_string(file.id) + " starts empty: " + file.path + " could not be read",
                 LogLevel::Error);
      scene = std::make_unique<Level>();
      scene->path = file.path;
    }
    AddScene(std::move(scene), file.id);
  }
  if (Level* first = FindSceneById(scene_id::kSplashCorvan)) SceneState().requestedScene = first->sceneIndex;
  RegisterEvent("event:/Music/MenuMusic", kMenuMusic);
  RegisterEvent("event:/Music/LevelOneMusic", kLevelMusic);
  RegisterEvent("event:/SFX/Menu/CorvanLogo", kCorvanLogo);
  RegisterEvent("event:/SFX/Menu/LullwickLogo", kLullwickLogo);
}

void DestroySceneList() {
  // The running scene's objects and the fade overlay go with the list, while the graphics device can
  // still free their buffers.
  ClearObjects();
  SetTransitionOverlay(nullptr);
  Module().scenes.clear();
  Module().playerName.clear();
  SceneState().currentScene = 0;
  SceneState().requestedScene = 0;
}

bool UpdateScenes(float dt) {
  SceneManagerState& state = SceneState();
  if (state.requestedScene != state.currentScene && state.requestedScene != kRestartRequest &&
      ValidIndex(state.requestedScene)) {
    ChangeScene(state.requestedScene);
  }
  if (state.requestedScene == kRestartRequest) RestartScene();
  Level* scene = CurrentScene();
  if (scene == nullptr) {
    Log("No Scenes in list", LogLevel::Error);
    return false;
  }
  SceneUpdate(*scene, dt);
  return true;
}

Level* CurrentScene() { return SceneAt(SceneState().currentScene); }

bool CurrentSceneIsLevel() {
  const Level* scene = CurrentScene();
  if (scene == nullptr) return false;
  return scene->sceneId == scene_id::kLevel1 || scene->sceneId == scene_id::kLevel2 ||
         scene->sceneId == scene_id::kLevel3;
}

Level* FindSceneById(int id) {
  for (const auto& scene : Module().scenes) {
    if (scene->sceneId == id) return scene.get();
  }
  return nullptr;
}

void RequestScene(Level* scene) {
  if (scene == nullptr || !ValidIndex(scene->sceneIndex) || SceneAt(scene->sceneIndex) != scene) return;
  SceneState().requestedScene = scene->sceneIndex;
}

void RequestSceneById(int id) { RequestScene(FindSceneById(id)); }

void RequestRestart() { SceneState().requestedScene = kRestartRequest; }

int NextAfterSplash() {
  const Level* scene = CurrentScene();
  int id = scene_id::kMainMenu;
  if (scene != nullptr && scene->sceneId == scene_id::kSplashCorvan) id = scene_id::kSplashFmod;
  if (scene != nullptr && scene->sceneId == scene_id::kSplashFmod) id = scene_id::kSplashLullwick;
  RequestSceneById(id);
  return id;
}

int NextAfterEndScene() {
  int id = scene_id::kMainMenu;
  switch (SceneState().lastLevelId) {
    case scene_id::kLevel1: id = scene_id::kLevel2; break;
    case scene_id::kLevel2: id = scene_id::kLevel3; break;
    case scene_id::kLevel3: id = scene_id::kYouWin; break;
    default: break;
  }
  // A watched replay goes back to where it was chosen.
  if (Module().hooks.sceneAfterEndScene != nullptr) {
    if (int other = Module().hooks.sceneAfterEndScene()) id = other;
  }
  RequestSceneById(id);
  return id;
}

void SetGameOver(Level* scene) {
  if (scene != nullptr) scene->gameOver = true;
}

GameObject* ScenePlayer() {
  if (Module().playerName.empty()) return nullptr;
  return FindObject(Module().playerName);
}
