#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "gameplay/BehaviorStates.h"
#include "gameplay/EndScene.h"
#include "gameplay/EscapeBarrierBehavior.h"
#include "gameplay/Hud.h"
#include "graphics/Model.h"
#include "graphics/ParticleEmitter.h"
#include "LevelFixture.h"

using namespace level_fixture;

namespace {

// ---- time format and rank -----------------------------------------------------------------------

TEST(TimeFormatTest, ShowsWholeMinutesAndTwoDigitSeconds) {
  // The last three: nothing a broken clock hands over shows a negative or garbled time.
  const std::pair<float, const char*> cases[] = {
      {65.9f, "1:05"},  {600.0f, "10:00"}, {0.0f, "0:00"},  {9.99f, "0:09"},
      {59.999f, "0:59"}, {60.0f, "1:00"},  {3599.5f, "59:59"}, {-3.0f, "0:00"},
      {std::numeric_limits<float>::quiet_NaN(), "0:00"}, {std::numeric_limits<float>::infinity(), "0:00"}};
  for (const auto& [seconds, shown] : cases) EXPECT_EQ(FormatTime(seconds), shown) << seconds;
}

Level Thresholds(float s, float a, float b) {
  Level level;
  level.sRank = s;
  level.aRank = a;
  level.bRank = b;
  return level;
}

TEST(RankTest, EachThresholdIncludesItsOwnTimeAndNothingAbove) {
  const Level level = Thresholds(120.0f, 180.0f, 240.0f);
  const std::pair<float, const char*> cases[] = {{0.0f, "s"},   {120.0f, "s"}, {120.5f, "a"}, {180.0f, "a"},
                                                 {180.5f, "b"}, {240.0f, "b"}, {240.5f, "c"}};
  for (const auto& [seconds, rank] : cases) EXPECT_EQ(RankFor(seconds, level), rank) << seconds;
}

TEST(ScoreTest, EveryPieceLeftBehindCostsHalfAMinute) {
  Level level = Thresholds(120.0f, 180.0f, 240.0f);
  level.time = 100.0f;
  level.foodCount = 5;
  level.foodCollected = 5;
  LevelScore all = ScoreLevel(level);
  EXPECT_EQ(FormatTime(all.penalty), "0:00");  // shown as "+0:00"
  EXPECT_FLOAT_EQ(all.total, 100.0f);
  EXPECT_EQ(all.rank, "s");

  level.foodCollected = 3;
  LevelScore two = ScoreLevel(level);
  EXPECT_EQ(FormatTime(two.penalty), "1:00");
  EXPECT_FLOAT_EQ(two.total, 160.0f);
  EXPECT_EQ(two.rank, "a");

  // Food placed while the level ran and delivered on top earns no time back.
  level.foodCollected = 7;
  EXPECT_FLOAT_EQ(ScoreLevel(level).total, 100.0f);
}

// ---- the end screens ----------------------------------------------------------------------------

class EndScreenTest : public LevelTest {};

TEST_F(EndScreenTest, TheEndSceneGradesTheLastEscapedLevel) {
  Level* level = AddTestScene(scene_id::kLevel3, "Assets/Levels/level3.json");
  level->sRank = 120.0f;
  level->aRank = 180.0f;
  level->bRank = 240.0f;
  level->time = 185.9f;
  level->foodCount = 6;
  level->foodCollected = 4;
  level->foodGoal = 5;
  // Another level with other numbers must not be the one graded.
  Level* other = AddTestScene(scene_id::kLevel1, "Assets/Levels/level1.json");
  other->time = 10.0f;
  SceneState().lastLevelId = scene_id::kLevel3;
  Level* end = AddTestScene(scene_id::kEndScene, "Assets/Levels/EndScene.json");
  RequestScene(end);
  ASSERT_TRUE(UpdateScenes(kDt));

  std::vector<std::string> texts;
  for (const std::string& name : Journal().order) texts.push_back(Journal().labels[name].text);
  const std::vector<std::string> expected = {"bASE tIME:", "3:05",    "fOOD cOLLECTED:", "4/5",     "tIME MODIFIER: +1:00",
                                             "4:05",       "rANQUE:", "c",               "continue"};
  EXPECT_EQ(texts, expected);
  // Every line but "continue" is inert; "continue" leaves the end scene.
  EXPECT_EQ(Journal().inert.size(), 8u);
  Press(Journal().order.back());
  EXPECT_TRUE(CurrentScene()->leaveRequested);
  EXPECT_EQ(Journal().labels[Journal().order[5]].size, 50.0f);  // the total, large and centred
  EXPECT_EQ(Journal().labels[Journal().order[5]].alignment, 1u);
}

TEST_F(EndScreenTest, GameOverAndWinScreensLeadToTheMainMenu) {
  Level* menu = AddTestScene(scene_id::kMainMenu, "Assets/Levels/main_menu.json");
  for (auto [id, path, title] : {std::tuple{scene_id::kGameOver, "Assets/Levels/GameOver.json", "game over"},
                                 std::tuple{scene_id::kYouWin, "Assets/Levels/YouWin.json", "you win!!"}}) {
    Journal() = ButtonJournal{};
    RequestScene(AddTestScene(id, path));
    ASSERT_TRUE(UpdateScenes(kDt));
    ASSERT_EQ(Journal().order.size(), 2u);
    EXPECT_EQ(Journal().labels[Journal().order[0]].text, title);
    EXPECT_EQ(Journal().labels[Journal().order[1]].text, "main menu");
    Press(Journal().order[1]);
    EXPECT_EQ(SceneState().requestedScene, menu->sceneIndex);
  }
}

// ---- food delivery --------------------------------------------------------------------------------

// A collection zone 200 x 150 at the origin; food at (110, 0) touches its right edge.
std::vector<ObjectRecord> DeliveryLevel(bool foodAtZone) {
  return {Record(ObjectType::EscapeBarrier, "Escapebarrier_1", 900, 0, 50, 100),
          Record(ObjectType::Food, "Food_2", foodAtZone ? 110.0f : 600.0f, 0, 20, 20),
          Record(ObjectType::Collection, "Collection_3", 0, 0, 200, 150),
          Record(ObjectType::Food, "Food_4", 600, 300, 20, 20),
          Record(ObjectType::EscapeBarrier, "Escapebarrier_5", 900, 300, 50, 100)};
}

class FoodRuleTest : public LevelTest {};

TEST_F(FoodRuleTest, AGoalOfZeroIsReachedOnTheFirstDeliveryNotBefore) {
  Level* scene = StartTestLevel(scene_id::kLevel1, DeliveryLevel(false), 0);
  for (int i = 0; i < 20; ++i) Frame();
  EXPECT_FALSE(scene->goalReached);
  EXPECT_TRUE(EscapeBarrierBlocks(FindObject("Escapebarrier_1")));

  GameObject* food = FindObject("Food_2");
  food->GetTransform()->position[0] = 110.0f;
  Frame();
  EXPECT_EQ(scene->foodCollected, 1);
  EXPECT_TRUE(scene->goalReached);
}

TEST_F(FoodRuleTest, ADeliveredPieceVanishesAndCountsOnce) {
  Level* scene = StartTestLevel(scene_id::kLevel1, DeliveryLevel(true), 3);
  EXPECT_EQ(scene->foodCount, 2);
  CreateHud();
  Frame();
  GameObject* food = FindObject("Food_2");
  ASSERT_NE(food, nullptr);
  EXPECT_EQ(food->GetComponent(SlotOf(ComponentType::Model)), nullptr);
  EXPECT_TRUE(ShapeOf(food)->collected);
  EXPECT_TRUE(FindEmitters(food, "collection").front()->active);
  EXPECT_FALSE(FindEmitters(food, "crumbs").front()->active);
  for (int i = 0; i < 10; ++i) Frame();  // it lies in the zone: still one piece
  EXPECT_EQ(scene->foodCollected, 1);
  EXPECT_FALSE(scene->goalReached);
  EXPECT_EQ(HudFoodCount(), 1);
  // The counter is the second display object, after the timer.
  EXPECT_EQ(Journal().labels[Journal().order[1]].text, "fOOD cOLLECTED:1/3");
}

TEST_F(FoodRuleTest, AllBarriersOpenInTheFrameTheGoalIsReached) {
  // One barrier runs before the delivering food in the object list, one after it.
  StartTestLevel(scene_id::kLevel1, DeliveryLevel(true), 1);
  GameObject* first = FindObject("Escapebarrier_1");
  GameObject* last = FindObject("Escapebarrier_5");
  EXPECT_TRUE(EscapeBarrierBlocks(first));
  EXPECT_TRUE(EscapeBarrierBlocks(last));
  Frame();
  EXPECT_TRUE(CurrentScene()->goalReached);
  EXPECT_FALSE(EscapeBarrierBlocks(first));
  EXPECT_FALSE(EscapeBarrierBlocks(last));
  EXPECT_FALSE(first->visible);
  EXPECT_FALSE(last->visible);
  // And they stay open.
  for (int i = 0; i < 5; ++i) Frame();
  EXPECT_FALSE(EscapeBarrierBlocks(first));
}

TEST_F(FoodRuleTest, OnlyFastFoodStunsAHumanNotYetStunned) {
  StartTestLevel(scene_id::kLevel1, {Record(ObjectType::Enemy, "Enemy_1", 0, 0, 60, 30),
                                     Record(ObjectType::Food, "Food_2", 500, 0, 20, 20)});
  GameObject* human = FindObject("Enemy_1");
  GameObject* food = FindObject("Food_2");
  Behavior* behavior = BehaviorOf(human);
  ASSERT_NE(behavior, nullptr);
  behavior->currentState = behavior->nextState = human_state::kPatrol;
  ParticleEmitter* sparks = FindEmitters(food, "collision").front();

  KinematicsOf(food)->SetVelocity(19.0f, 0.0f);
  FoodContact(food, human);
  EXPECT_EQ(behavior->nextState, human_state::kPatrol);
  EXPECT_FALSE(sparks->active);

  KinematicsOf(food)->SetVelocity(12.0f, 16.0f);  // exactly 20
  FoodContact(food, human);
  EXPECT_EQ(behavior->nextState, human_state::kStun);
  EXPECT_TRUE(sparks->active);

  sparks->active = false;
  behavior->currentState = behavior->nextState = human_state::kStun;
  KinematicsOf(food)->SetVelocity(500.0f, 0.0f);
  FoodContact(food, human);
  EXPECT_EQ(behavior->nextState, human_state::kStun);
  EXPECT_FALSE(sparks->active);
}

// ---- the heads-up display -----------------------------------------------------------------------

class HudTest : public LevelTest {};

TEST_F(HudTest, TheDisplayShowsTimeAndFoodTogglesTogetherAndIsLeftAloneAfterARestart) {
  Level* scene = StartTestLevel(scene_id::kLevel1, {}, 4);
  scene->time = 65.9f;
  scene->foodCollected = 2;
  CreateHud();
  ASSERT_EQ(Journal().order.size(), 2u);
  GameObject* timer = FindObject(Journal().order[0]);
  GameObject* counter = FindObject(Journal().order[1]);
  EXPECT_EQ(LabelOf(timer), "1:05");  // its size and place are in the level goldens
  EXPECT_EQ(Journal().inert.size(), 2u);

  UpdateTimerHud(600.0f);
  EXPECT_EQ(LabelOf(timer), "10:00");
  UpdateFoodHud(4);
  EXPECT_EQ(LabelOf(counter), "fOOD cOLLECTED:2/4");

  ToggleHud();
  EXPECT_FALSE(timer->visible);
  EXPECT_FALSE(counter->visible);
  ToggleHud();
  EXPECT_TRUE(timer->visible);
  EXPECT_TRUE(counter->visible);

  // A restarted level leaves the old display alone.
  RequestRestart();
  Frame();  // the old display objects are deleted
  Journal() = ButtonJournal{};
  UpdateTimerHud(12.0f);
  UpdateFoodHud(3);
  ToggleHud();
  EXPECT_TRUE(Journal().labels.empty());
}

}  // namespace
