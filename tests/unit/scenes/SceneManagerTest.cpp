#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "audio/AudioSystem.h"
#include "core/EditorLink.h"
#include "core/Input.h"
#include "core/KeyCodes.h"
#include "core/Logger.h"
#include "graphics/Camera.h"
#include "graphics/Filter.h"
#include "graphics/Light.h"
#include "graphics/Model.h"
#include "graphics/ParticleEmitter.h"
#include "graphics/Texture.h"
#include "objects/GameObject.h"
#include "objects/Kinematics.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "support/LogCapture.h"
#include "support/SceneWorld.h"
#include "support/TestSupport.h"
#include "unit/audio/AudioTestHelpers.h"

using testing_support::AddTestScene;
using testing_support::Record;
using testing_support::TempDir;

namespace {

constexpr float kDt = 0.025f;

float OverlayAlpha() {
  GameObject* overlay = TransitionOverlay();
  if (overlay == nullptr) return -1.0f;
  auto* model = overlay->GetComponentAs<Model>(SlotOf(ComponentType::Model));
  return model == nullptr ? -1.0f : model->GetMesh()->color[3];
}

int CurrentId() { return CurrentScene() == nullptr ? -1 : CurrentScene()->sceneId; }

void ExpectCameraAt(float x, float y) {
  EXPECT_FLOAT_EQ(MainCamera().position[0], x);
  EXPECT_FLOAT_EQ(MainCamera().position[1], y);
  EXPECT_FLOAT_EQ(MainCamera().position[2], -1000.0f);
}

// Puts the keys down; the caller runs the pass that reads them.
void Hold(std::initializer_list<int> keys) {
  for (int key : keys) SetKey(key, true);
}

class SceneManagerTest : public testing_support::SceneTest {
 protected:
  // One frame as the graphics frame runs it: the object pass, then the scene manager; then the
  // main loop's copy of this pass's input into the previous one.
  void Frame() {
    UpdateObjects(kDt);
    ASSERT_TRUE(UpdateScenes(kDt));
    CopyPreviousInput();
  }
  // Runs frames until the current scene's id changes; returns how many ran (limit + 1 if never).
  // `lastAlpha` is the overlay's alpha after the last frame before the change.
  int FramesUntilSceneChanges(int limit = 400) {
    int id = CurrentId();
    for (int n = 1; n <= limit; ++n) {
      lastAlpha = OverlayAlpha();
      Frame();
      if (CurrentId() != id) return n;
    }
    return limit + 1;
  }
  float lastAlpha = -1.0f;

  // A small scene list of our own: the menu, the end scene, game over, the win screen, and a
  // scene `id` built from `records`.
  Level* BuildTestList(int id, std::vector<ObjectRecord> records, const std::string& path = "Assets/Levels/test.json") {
    for (int other : {scene_id::kEmpty, scene_id::kMainMenu, scene_id::kEndScene, scene_id::kGameOver,
                      scene_id::kYouWin, scene_id::kLevel2, scene_id::kLevel3}) {
      AddTestScene(other, "Assets/Levels/other" + std::to_string(other) + ".json");
    }
    Level* added = AddTestScene(id, path, std::move(records));
    RequestScene(added);
    return added;
  }
};

// ---- the scene list ---------------------------------------------------------------------------

TEST_F(SceneManagerTest, SceneListHoldsThirteenScenesInOrderAndRequestsTheFirstSplash) {
  BuildSceneList();
  const int ids[] = {0, 1, 2, 3, 4, 6, 7, 8, 5, 9, 10, 11, 12};
  ASSERT_EQ(SceneList().size(), 13u);
  for (size_t i = 0; i < 13; ++i) {
    EXPECT_EQ(SceneList()[i]->sceneId, ids[i]) << "index " << i;
    EXPECT_EQ(SceneList()[i]->sceneIndex, static_cast<int32_t>(i));
  }
  EXPECT_EQ(SceneList()[11]->path, SceneList()[12]->path);
  EXPECT_EQ(SceneState().requestedScene, 1);
  EXPECT_EQ(FindSceneById(5)->sceneIndex, 8);
  EXPECT_EQ(FindSceneById(99), nullptr);
  // An unknown id or a scene from outside the list leaves the request alone.
  RequestSceneById(77);
  EXPECT_EQ(SceneState().requestedScene, 1);
  Level stranger;
  stranger.sceneIndex = 3;
  RequestScene(&stranger);
  EXPECT_EQ(SceneState().requestedScene, 1);
}

TEST_F(SceneManagerTest, UnreadableFilesKeepTheirPlaceAsEmptyScenes) {
  TempDir dir;
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::create_directories(dir.File("Assets/Levels"));
  testing_support::WriteFile(dir.File("Assets/Levels/main_menu.json"), "{\"NotALevel\":{}}");
  std::filesystem::current_path(dir.path());
  BuildSceneList();
  std::filesystem::current_path(previous);
  ASSERT_EQ(SceneList().size(), 13u);
  EXPECT_EQ(SceneList()[4]->path, "Assets/Levels/main_menu.json");
  EXPECT_EQ(SceneList()[4]->sceneId, 4);
  EXPECT_TRUE(SceneList()[4]->objects.empty());
  EXPECT_EQ(SceneList()[12]->sceneId, 12);
  // Navigation still works on the empty scenes.
  RequestSceneById(scene_id::kMainMenu);
  EXPECT_EQ(SceneState().requestedScene, 4);
}

TEST_F(SceneManagerTest, AnEmptySceneListLogsAndEndsTheLoop) {
  testing_support::LogCapture log;
  EXPECT_FALSE(UpdateScenes(kDt));
  RequestRestart();
  EXPECT_FALSE(UpdateScenes(kDt));
  EXPECT_EQ(log.Take(), "-ERROR- No Scenes in list\n-ERROR- No Scenes in list\n");
}

// ---- splash screens ---------------------------------------------------------------------------

TEST_F(SceneManagerTest, WithoutInputEachSplashLastsThreeSecondsPlusAOneSecondFadeThenTheMenu) {
  BuildSceneList();
  Frame();
  ASSERT_EQ(CurrentId(), scene_id::kSplashCorvan);
  EXPECT_TRUE(CurrentScene()->isSplash);
  // The fade-in starts nearly black.
  EXPECT_NEAR(OverlayAlpha(), 1.0f - kDt, 1e-4f);
  for (int expected : {scene_id::kSplashFmod, scene_id::kSplashLullwick, scene_id::kMainMenu}) {
    int frames = FramesUntilSceneChanges();
    EXPECT_NEAR(frames, 160, 1) << "leaving for scene " << expected;
    EXPECT_NEAR(lastAlpha, 1.0f, 1e-4f) << "the fade-out ends fully dark";
    EXPECT_EQ(CurrentId(), expected);
  }
  // The menu is no splash screen: it stays.
  EXPECT_FALSE(CurrentScene()->isSplash);
  EXPECT_GT(FramesUntilSceneChanges(300), 300);
  EXPECT_FLOAT_EQ(OverlayAlpha(), 0.0f);
}

TEST_F(SceneManagerTest, SkippingTheFirstSplashReachesTheMenuAfterAHalfLengthFade) {
  const std::pair<const char*, void (*)()> presses[] = {
      {"Space", [] { SetKey(vk::Space, true); }},
      {"Enter", [] { SetKey(vk::Return, true); }},
      {"Escape", [] { SetKey(vk::Escape, true); }},
      {"RightShift", [] { SetKey(vk::RShift, true); }},
      {"LeftClick", [] { SetLeftButton(true, 10, 10); }},
      {"PadA", [] { Input().pads[0].state.buttons = kPadButtonMasks[PadA]; }},
      {"PadStart", [] { Input().pads[0].state.buttons = kPadButtonMasks[PadStart]; }}};
  for (const auto& [name, press] : presses) {
    SCOPED_TRACE(name);
    testing_support::ResetSceneWorld();
    BuildSceneList();
    // Past the fade-in: the skip darkens a fully lit picture (a skip during it: the early exits below).
    for (int i = 0; i < 45; ++i) Frame();
    ASSERT_EQ(CurrentId(), scene_id::kSplashCorvan);
    ASSERT_TRUE(CurrentScene()->fadeInDone);
    press();
    int frames = FramesUntilSceneChanges();
    EXPECT_TRUE(SceneList()[1]->splashSkipped);
    // Twice the speed of a normal fade: half a second, then the change in the next frame.
    EXPECT_NEAR(frames, 21, 1);
    EXPECT_EQ(CurrentId(), scene_id::kMainMenu);
  }
}

TEST_F(SceneManagerTest, APadButtonHeldSinceTheLastPassDoesNotSkip) {
  BuildSceneList();
  Frame();
  PadState& pad = Input().pads[0];
  pad.state.buttons = kPadButtonMasks[PadA];
  pad.flags[PadA] = true;  // already down in the previous record
  for (int i = 0; i < 20; ++i) Frame();
  EXPECT_FALSE(CurrentScene()->splashSkipped);
}

// ---- restart and change -----------------------------------------------------------------------

TEST_F(SceneManagerTest, RestartRebuildsObjectsWithoutReloadingTexturesAndKeepsTheCameraAndTheOverlay) {
  Level* scene = BuildTestList(scene_id::kLevel2, {Record(ObjectType::Wall, "Wall_4", 10, 20, 100, 50),
                                                   Record(ObjectType::Background, "background_7", 0, 0, 50, 50)});
  scene->textures = {"wall.png", "food.png"};
  Frame();
  ASSERT_EQ(CurrentScene(), scene);
  ASSERT_EQ(TextureList().size(), 2u);
  ASSERT_EQ(Objects().size(), 2u);
  GameObject* overlay = TransitionOverlay();
  ASSERT_NE(overlay, nullptr) << "made once, outside the object list";
  for (GameObject* o : Objects()) EXPECT_NE(o, overlay);
  Objects()[0]->GetTransform()->position[0] = 999.0f;  // something the restart must undo
  scene->time = 12.0f;
  MainCamera().position[0] = 123.0f;
  MainCamera().position[1] = -45.0f;

  RequestRestart();
  Frame();
  EXPECT_EQ(SceneState().requestedScene, scene->sceneIndex);
  EXPECT_EQ(TextureList().size(), 2u);
  ASSERT_EQ(Objects().size(), 2u);
  EXPECT_EQ(Objects()[0]->name, "Wall_4");
  EXPECT_FLOAT_EQ(Objects()[0]->GetTransform()->position[0], 10.0f);
  EXPECT_EQ(ObjectCounter(), 7);
  EXPECT_FLOAT_EQ(scene->time, kDt);
  EXPECT_FLOAT_EQ(MainCamera().position[0], 123.0f);
  EXPECT_FLOAT_EQ(MainCamera().position[1], -45.0f);

  // A change, by contrast, forgets the list, loads the new scene's textures and recentres.
  FindSceneById(scene_id::kMainMenu)->textures = {"star.png"};
  RequestSceneById(scene_id::kMainMenu);
  Frame();
  ASSERT_EQ(TextureList().size(), 1u);
  EXPECT_EQ(TextureList()[0]->name, "star.png");
  EXPECT_TRUE(Objects().empty());
  ExpectCameraAt(0.0f, 0.0f);
  EXPECT_EQ(TransitionOverlay(), overlay) << "the overlay survives the change";
  EXPECT_FLOAT_EQ(overlay->GetTransform()->position[2], -20.0f);
}

// ---- what a scene start builds ----------------------------------------------------------------

TEST_F(SceneManagerTest, SceneStartBuildsRecordsWithFiltersEmittersLightsAndCounts) {
  ObjectRecord vent = Record(ObjectType::Vent, "Vent_1", 0, 0, 50, 50);
  const FilterRecord first{1, 0.25f, {0.0f, 0.0f, 0.0f, 1.0f}}, second{2, 0.0f, {0.5f, 0.0f, 0.0f, 1.0f}};
  vent.filters = {first, second};
  ObjectRecord lamp = Record(ObjectType::Light, "Light_2", 5, 5, 50, 50);
  lamp.hasLight = true;
  lamp.lightIntensity = 1.5f;
  lamp.lightFallOffStart = 100.0f;
  lamp.lightFallOffEnd = 400.0f;
  lamp.lightColor[1] = 0.75f;
  lamp.emitters.emplace_back().shape = 1;
  lamp.emitters[0].texture = "star.png";
  ObjectRecord zone = Record(ObjectType::EscapeZone, "Escapezone_3", 0, 0, 50, 50);
  zone.escapeDirection = EscapeDirection::Left;
  ObjectRecord wall = Record(ObjectType::Wall, "Wall_4", 0, 0, 50, 50);
  wall.filters = {second};

  static std::vector<std::pair<std::string, EscapeDirection>> zones;
  zones.clear();
  GetSceneHooks().setEscapeDirection = [](GameObject* o, EscapeDirection d) { zones.emplace_back(o->name, d); };
  Level* scene = BuildTestList(scene_id::kLevel2, {vent, Record(ObjectType::Food, "Food_5", 0, 0, 20, 20), lamp, zone,
                                                   Record(ObjectType::Food, "Food_6", 0, 0, 20, 20), wall});
  scene->ambient[0] = 0.2f;
  scene->ambient[3] = 0.7f;
  scene->foodCollected = 3;
  scene->goalReached = true;
  Frame();

  EXPECT_EQ(scene->foodCount, 2);
  EXPECT_EQ(scene->foodCollected, 0);
  EXPECT_FALSE(scene->goalReached);
  EXPECT_FLOAT_EQ(GetAmbient().lanes[0], 0.2f);
  EXPECT_FLOAT_EQ(GetAmbient().lanes[3], 0.7f);

  GameObject* v = FindObject("Vent_1");
  ASSERT_NE(v, nullptr);
  std::vector<Filter*> ventFilters = v->FindComponents<Filter>();
  ASSERT_EQ(ventFilters.size(), 2u);  // the archetype's filter took the first record
  EXPECT_EQ(ventFilters[0]->GetType(), FilterType::Saturation);
  EXPECT_FLOAT_EQ(ventFilters[0]->GetSaturation(), 0.25f);
  EXPECT_EQ(ventFilters[1]->GetType(), FilterType::Color);
  EXPECT_FLOAT_EQ(ventFilters[1]->GetColor().lanes[0], 0.5f);

  GameObject* w = FindObject("Wall_4");
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->FindComponents<Filter>().size(), 1u);  // a wall has none of its own to overwrite

  GameObject* l = FindObject("Light_2");
  ASSERT_NE(l, nullptr);
  auto* light = l->FindComponent<Light>();
  ASSERT_NE(light, nullptr);
  EXPECT_EQ((std::vector<float>{light->GetIntensity(), light->GetFallOffStart(), light->GetFallOffEnd(),
                                light->GetColor().lanes[1]}),
            (std::vector<float>{1.5f, 100, 400, 0.75f}));
  auto emitters = l->FindComponents<ParticleEmitter>();
  ASSERT_EQ(emitters.size(), 1u);
  EXPECT_EQ(emitters[0]->shape, EmitterShape::Line);
  EXPECT_EQ(emitters[0]->textureName, "star.png");

  EXPECT_EQ(zones, (std::vector<std::pair<std::string, EscapeDirection>>{{"Escapezone_3", EscapeDirection::Left}}));
}

TEST_F(SceneManagerTest, SceneStartRunsItsStepsInOrderAndBuildsScreensByPathWord) {
  static std::vector<std::string> calls;
  calls.clear();
  SceneHooks& hooks = GetSceneHooks();
  hooks.createHighlight = [] { calls.push_back("highlight:" + std::to_string(Objects().size())); };
  hooks.buildMainMenu = [] { calls.push_back("menu"); };
  hooks.buildCredits = [] { calls.push_back("credits"); };
  hooks.buildLevelSelect = [] { calls.push_back("select"); };
  hooks.buildEndScene = [] { calls.push_back("end"); };
  hooks.buildGameOver = [] { calls.push_back("gameover"); };
  hooks.buildYouWin = [] { calls.push_back("youwin"); };
  hooks.buildSplashText = [] { calls.push_back("splashtext"); };
  BuildSceneList();
  for (int id : {1, 2, 3, 4, 5, 9, 10, 11, 12}) {
    RequestSceneById(id);
    Frame();
    ASSERT_EQ(CurrentId(), id);
  }
  const std::vector<std::string> expected = {
      "highlight:0",                 // splash 1 (no builder)
      "highlight:0",                 // splash 2
      "highlight:0", "splashtext",   // splash 3
      "highlight:0", "menu",         // main menu
      "highlight:0", "end",          // end scene
      "highlight:0", "gameover",     // game over
      "highlight:0", "youwin",       // win screen
      "highlight:0", "credits",      // credits (id 11)
      "highlight:0", "select",       // level select (id 12, the same file)
  };
  EXPECT_EQ(calls, expected);
  for (int id : {1, 2, 3}) EXPECT_TRUE(FindSceneById(id)->isSplash) << id;
  for (int id : {4, 5, 9, 10, 11, 12}) EXPECT_FALSE(FindSceneById(id)->isSplash) << id;
}

// ---- exits ------------------------------------------------------------------------------------

class SceneExitTest : public SceneManagerTest {
 protected:
  // Starts the test scene and lets its fade-in finish.
  Level* StartAndSettle(int id = scene_id::kLevel2) {
    DestroySceneList();
    Level* scene = BuildTestList(id, {});
    for (int i = 0; i < 41; ++i) Frame();
    EXPECT_TRUE(scene->fadeInDone);
    return scene;
  }
  // Runs the scene update alone (no change is carried out) until something is requested.
  int FramesUntilRequest(Level* scene, int limit = 400) {
    for (int n = 1; n <= limit; ++n) {
      EXPECT_TRUE(UpdateScenes(kDt));
      if (SceneState().requestedScene != scene->sceneIndex) return n;
    }
    return limit + 1;
  }
  int RequestedId() { return SceneList()[static_cast<size_t>(SceneState().requestedScene)]->sceneId; }
};

TEST_F(SceneExitTest, ExitsTakePrioritySkipThenCaughtThenLeaveThenTimed) {
  Level* scene = StartAndSettle();
  SceneState().lastLevelId = scene_id::kLevel3;
  scene->isSplash = true;
  scene->splashSkipped = scene->gameOver = scene->leaveRequested = scene->exitStarted = true;
  EXPECT_NEAR(FramesUntilRequest(scene), 20, 1);
  EXPECT_EQ(RequestedId(), scene_id::kMainMenu);

  scene = StartAndSettle();
  scene->gameOver = scene->leaveRequested = scene->exitStarted = true;
  EXPECT_NEAR(FramesUntilRequest(scene), 40, 1);
  EXPECT_EQ(RequestedId(), scene_id::kGameOver);
  EXPECT_FLOAT_EQ(scene->exitTimer, 0.0f);  // the timed exit never ran

  scene = StartAndSettle();
  SceneState().lastLevelId = scene_id::kLevel3;
  scene->leaveRequested = scene->exitStarted = true;
  EXPECT_NEAR(FramesUntilRequest(scene), 40, 1);
  EXPECT_EQ(RequestedId(), scene_id::kYouWin);

  scene = StartAndSettle();
  scene->exitStarted = true;
  EXPECT_NEAR(FramesUntilRequest(scene), 160, 1);  // 3 s of run-out, then the 1 s fade
  EXPECT_EQ(RequestedId(), scene_id::kEndScene);
  EXPECT_EQ(SceneState().lastLevelId, scene_id::kLevel2);
  EXPECT_TRUE(scene->exitTimeTaken);
  // Taken in the first update of the exit, after that update's time step.
  EXPECT_NEAR(scene->exitStartTime, 42 * kDt, 1e-4f);
}

TEST_F(SceneExitTest, TheEndSceneLeadsOnByTheLastLevel) {
  const std::pair<int, int> routes[] = {{scene_id::kLevel1, scene_id::kLevel2},
                                        {scene_id::kLevel2, scene_id::kLevel3},
                                        {scene_id::kLevel3, scene_id::kYouWin},
                                        {scene_id::kSplashCorvan, scene_id::kMainMenu}};
  for (auto [last, next] : routes) {
    Level* scene = StartAndSettle(scene_id::kLevel1);
    SceneState().lastLevelId = last;
    SetGameOver(nullptr);
    scene->leaveRequested = true;
    FramesUntilRequest(scene);
    EXPECT_EQ(RequestedId(), next) << "after level " << last;
  }
}

TEST_F(SceneExitTest, WithoutAnOverlayFadesEndAtOnceButACatchStillWaits) {
  Level* scene = StartAndSettle();
  SetTransitionOverlay(nullptr);
  scene->leaveRequested = true;
  EXPECT_EQ(FramesUntilRequest(scene), 1);

  scene = StartAndSettle();
  SetTransitionOverlay(nullptr);
  SetGameOver(scene);
  EXPECT_NEAR(FramesUntilRequest(scene), 40, 1);
  EXPECT_EQ(RequestedId(), scene_id::kGameOver);
}

// A way out taken in the first second, while the scene still fades in: the picture goes on
// darkening from where the fade-in had got to, never lit up and faded out again, and the fade-out
// only covers the way back to black.
TEST_F(SceneManagerTest, AnExitDuringTheFadeInDarkensFromTheFadeInsDarkness) {
  struct EarlyExit {
    const char* name;
    int sceneId;
    const char* path;
    void (*leave)(Level*);
    // Frames from the fade-in's darkness after 10 frames (0.75) to black, and the change: a quarter of
    // a fade (10 frames, 5 at a skipped splash's double speed), one for rounding, one for the change.
    int framesToBlack;
  };
  const EarlyExit exits[] = {
      {"SplashSkipped", scene_id::kSplashCorvan, "Assets/Levels/SplashCorvan.json",
       [](Level*) { SetKey(vk::Space, true); }, 7},
      {"EndSceneNextLevel", scene_id::kEndScene, "Assets/Levels/EndScene.json", [](Level*) { SetKey(vk::Space, true); },
       12},
      {"Caught", scene_id::kLevel2, "Assets/Levels/test.json", [](Level* s) { SetGameOver(s); }, 12}};
  for (const EarlyExit& c : exits) {
    SCOPED_TRACE(c.name);
    testing_support::ResetSceneWorld();
    Level* scene = BuildTestList(c.sceneId, {}, c.path);
    for (int i = 0; i < 10; ++i) Frame();
    ASSERT_EQ(CurrentScene(), scene);
    ASSERT_FALSE(scene->fadeInDone);
    float previous = OverlayAlpha();
    ASSERT_NEAR(previous, 0.75f, 1e-3f);
    c.leave(scene);
    int frames = 0;
    while (CurrentScene() == scene && frames < 100) {
      Frame();
      ++frames;
      if (CurrentScene() != scene) break;
      EXPECT_GE(OverlayAlpha(), previous - 1e-4f) << "the screen lit up " << frames << " frames after the exit";
      previous = OverlayAlpha();
    }
    EXPECT_NEAR(frames, c.framesToBlack, 1) << "the fade-out starts from the fade-in's darkness";
  }
}

TEST_F(SceneExitTest, ThePlayerRunsOutInTheLastHalfSecondOfATimedExit) {
  static std::vector<float> calls;
  static Level* running = nullptr;
  calls.clear();
  GetSceneHooks().requestState = [](GameObject* o, int state) {
    EXPECT_EQ(o->type, ObjectType::Player);
    EXPECT_EQ(state, 1);
    calls.push_back(running->exitTimer);
  };
  running = BuildTestList(scene_id::kLevel2, {Record(ObjectType::Player, "Player_1", 0, 0, 43, 116)});
  Frame();
  running->exitStarted = true;
  FramesUntilRequest(running);
  ASSERT_NEAR(calls.size(), 20u, 1u);
  EXPECT_GT(calls.front(), 2.5f);
  EXPECT_LT(calls.back(), 3.0f);

  // A player marked for destruction is left alone.
  calls.clear();
  RequestRestart();
  Frame();
  running->exitStarted = true;
  FindObject("Player_1")->destroy = true;
  FramesUntilRequest(running);
  EXPECT_TRUE(calls.empty());
}

// ---- camera -----------------------------------------------------------------------------------

// The camera stays put in the menu, the credits and during the editor halt.
TEST_F(SceneManagerTest, TheCameraFollowsThePlayerUntilTheExitTimerReachesTheFollowLimit) {
  for (int id : {scene_id::kMainMenu, scene_id::kCredits, scene_id::kLevel1, scene_id::kLevel2}) {
    testing_support::ResetSceneWorld();
    if (id == scene_id::kLevel1) GetEditorLink().enabled = GetEditorLink().stopped = true;
    Level* scene = BuildTestList(id, {Record(ObjectType::Player, "Player_1", 0, 0, 43, 116)});
    Frame();
    auto* kinematics = FindObject("Player_1")->GetComponentAs<Kinematics>(SlotOf(ComponentType::Kinematics));
    ASSERT_NE(kinematics, nullptr);
    kinematics->lastPosition[0] = 300.0f;
    kinematics->lastPosition[1] = 200.0f;
    kinematics->lastPosition[2] = 55.0f;
    ASSERT_TRUE(UpdateScenes(kDt));
    if (id != scene_id::kLevel2) {
      EXPECT_FLOAT_EQ(MainCamera().position[0], 0.0f) << "scene " << id;
      continue;
    }
    ExpectCameraAt(300.0f, 200.0f);

    scene->exitStarted = true;
    while (scene->exitTimer < scene->followLimit) {
      kinematics->lastPosition[0] += 1.0f;
      ASSERT_TRUE(UpdateScenes(kDt));
      // Following happens after the exit step, so the frame that reaches the limit no longer follows.
      if (scene->exitTimer < scene->followLimit) {
        EXPECT_FLOAT_EQ(MainCamera().position[0], kinematics->lastPosition[0]);
      }
    }
    float held = MainCamera().position[0];
    kinematics->lastPosition[0] = -500.0f;
    ASSERT_TRUE(UpdateScenes(kDt));
    EXPECT_FLOAT_EQ(MainCamera().position[0], held);
  }
}

// ---- music ------------------------------------------------------------------------------------

// Instances of the named event that are playing now.
int Playing(const std::string& name) {
  int playing = 0;
  for (EventInstance i : audio_test::InstancesOf(name)) {
    PlaybackState state = PlaybackState::Stopped;
    playing += GetEventSystem()->GetPlaybackState(i, &state) == AudioResult::Ok && state == PlaybackState::Playing;
  }
  return playing;
}

class SceneMusicTest : public SceneManagerTest {
 protected:
  void SetUp() override {
    SceneManagerTest::SetUp();
    ASSERT_TRUE(InitializeAudio());
    BuildSceneList();
  }
  void TearDown() override {
    SceneManagerTest::TearDown();
    ShutdownAudio();
  }
  void Go(int id) {
    RequestSceneById(id);
    Frame();
    UpdateAudio();
    ASSERT_EQ(CurrentId(), id);
  }
  // One frame with the key down, then the key up again.
  void Press(int key) {
    SetKey(key, true);
    Frame();
    UpdateAudio();
    ResetKeys();
  }
};

TEST_F(SceneMusicTest, EachSceneStartsOrKeepsItsMusicAndEnterOrASkipStopsIt) {
  // How many menu and level tunes play.
  auto music = [] { return std::pair(Playing("menu"), Playing("levelone")); };
  Go(scene_id::kMainMenu);
  EXPECT_EQ(music(), std::pair(1, 0));
  Go(scene_id::kMainMenu);  // entering again restarts it rather than doubling it
  Go(scene_id::kLevel1);
  EXPECT_EQ(music(), std::pair(0, 1));
  Go(scene_id::kEndScene);
  Go(scene_id::kLevel2);
  Go(scene_id::kLevel3);
  EXPECT_EQ(music(), std::pair(0, 1));  // levels 2 and 3 let it run on
  Go(scene_id::kMainMenu);
  EXPECT_EQ(music(), std::pair(1, 0));
  // Straight from the menu (the level select), the menu music gives way to the level's.
  Go(scene_id::kLevel3);
  EXPECT_EQ(music(), std::pair(0, 1));

  // Enter on the end scene leaves it and stops the level music; the next level starts it again.
  Go(scene_id::kEndScene);
  Press(vk::Return);
  EXPECT_TRUE(CurrentScene()->leaveRequested);
  EXPECT_EQ(music(), std::pair(0, 0));
  Go(scene_id::kLevel2);
  EXPECT_EQ(music(), std::pair(0, 1));
  // Enter on the menu stops its music too, and a skip stops the logo sound.
  Go(scene_id::kMainMenu);
  Press(vk::Return);
  EXPECT_EQ(music(), std::pair(0, 0));
  Go(scene_id::kSplashCorvan);
  EXPECT_EQ(Playing("corvan"), 1);
  Press(vk::Space);
  EXPECT_EQ(Playing("corvan"), 0);
}

// ---- developer keys ---------------------------------------------------------------------------

TEST_F(SceneManagerTest, CtrlYNJumpsToTheWinScreenFromAnyScene) {
  BuildSceneList();
  for (int id : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12}) {
    RequestSceneById(id);
    Frame();
    ASSERT_EQ(CurrentId(), id);
    Hold({vk::Control, vk::Letter('Y'), vk::Letter('N')});
    Frame();
    ResetKeys();
    Frame();
    EXPECT_EQ(CurrentId(), scene_id::kYouWin) << "from scene " << id;
  }
}

TEST_F(SceneManagerTest, DeveloperKeysNeedCtrlAndActOncePerPress) {
  BuildTestList(scene_id::kLevel2, {});
  Frame();
  const bool outlines = GetModelSettings().hideCollisionOutlines;

  // Without Ctrl nothing happens.
  Hold({vk::Letter('L'), vk::Letter('B')});
  Frame();
  EXPECT_EQ(GetModelSettings().hideCollisionOutlines, outlines);
  ResetKeys();

  Hold({vk::Control, vk::Letter('L'), vk::Letter('B')});
  Frame();
  Frame();  // B still held: no second toggle
  EXPECT_EQ(GetModelSettings().hideCollisionOutlines, !outlines);
  ResetKeys();

  Hold({vk::Control, vk::Letter('G'), vk::Letter('M')});
  Frame();
  EXPECT_TRUE(SceneState().invulnerable);
  ResetKeys();

  Hold({vk::Control, vk::Letter('L'), vk::Digit(3)});
  ASSERT_TRUE(UpdateScenes(kDt));
  EXPECT_EQ(SceneState().lastLevelId, scene_id::kLevel2);
  EXPECT_EQ(SceneState().requestedScene, FindSceneById(scene_id::kLevel3)->sceneIndex);
}

}  // namespace
