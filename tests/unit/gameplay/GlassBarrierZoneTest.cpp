#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "gameplay/EscapeZoneBehavior.h"
#include "gameplay/GlassBehavior.h"
#include "graphics/Filter.h"
#include "graphics/ParticleEmitter.h"
#include "LevelFixture.h"

using namespace level_fixture;

namespace {

// ---- glass ----------------------------------------------------------------------------------------

class GlassTest : public LevelTest {
 protected:
  // An upright pane at (500, 500) with a wall right beside it, and a piece of food far off.
  void SetUp() override {
    LevelTest::SetUp();
    StartTestLevel(scene_id::kLevel1, {Record(ObjectType::Glass, "Glass_1", 500, 500, 25, 100),
                                       Record(ObjectType::Wall, "Wall_2", 550, 500, 75, 100),
                                       Record(ObjectType::Food, "Food_3", 100, 100, 20, 20)});
    glass = FindObject("Glass_1");
    food = FindObject("Food_3");
    Frame();  // the pane installs its handler
    Frame();  // and stands intact
  }
  // The update after a hit asks for the shattered state, the one after that enters it.
  void TwoFrames() {
    Frame();
    Frame();
  }
  void HitWith(float vx, float vy) {
    KinematicsOf(food)->SetVelocity(vx, vy);
    Collision* shape = ShapeOf(glass);
    ASSERT_NE(shape, nullptr);
    ASSERT_NE(shape->onCollision, nullptr);
    shape->onCollision(glass, food);
  }
  GlassBehavior* Pane() { return dynamic_cast<GlassBehavior*>(BehaviorOf(glass)); }
  ParticleEmitter* Shards() { return FindEmitters(glass, "shatter").front(); }

  GameObject* glass = nullptr;
  GameObject* food = nullptr;
};

TEST_F(GlassTest, SlowFoodLeavesThePaneIntactAndAFastHitShattersItOnceAimingTheShardsAlongTheFood) {
  HitWith(0.3f, 0.2f);  // 0.36 units per second
  TwoFrames();
  EXPECT_EQ(Pane()->currentState, glass_state::kIntact);
  EXPECT_NE(glass->GetComponent(SlotOf(ComponentType::Model)), nullptr);
  EXPECT_NE(ShapeOf(glass), nullptr);
  EXPECT_FALSE(Shards()->active);

  HitWith(0.4f, 0.0f);
  EXPECT_TRUE(Shards()->active);  // one burst, fired at the hit
  EXPECT_EQ(Shards()->directionMin, 0.0f);
  EXPECT_EQ(Shards()->directionMax, 0.0f);
  TwoFrames();
  EXPECT_EQ(Pane()->currentState, glass_state::kShattered);
  EXPECT_EQ(glass->GetComponent(SlotOf(ComponentType::Model)), nullptr);
  EXPECT_EQ(ShapeOf(glass), nullptr);

  // A second hit, from the other side, changes nothing.
  Shards()->active = false;
  KinematicsOf(food)->SetVelocity(-50.0f, 0.0f);
  Pane()->OnContact(food);
  EXPECT_FALSE(Shards()->active);
  TwoFrames();
  EXPECT_EQ(Shards()->directionMin, 0.0f);
  EXPECT_EQ(Pane()->currentState, glass_state::kShattered);
}

TEST_F(GlassTest, ATurnedPaneSendsItsShardsUpOrDown) {
  glass->GetTransform()->rotation = 90.0f;
  HitWith(30.0f, -0.5f);
  EXPECT_EQ(Shards()->directionMin, 270.0f);
  EXPECT_EQ(Shards()->directionMax, 270.0f);
}

TEST_F(GlassTest, AShatteredPaneFreesItsCellsAndNothingElse) {
  std::vector<int32_t> before;
  for (int32_t r = 0; r < kGridRows; ++r) {
    for (int32_t c = 0; c < kGridColumns; ++c) before.push_back(GridCellValue({r, c}));
  }
  ASSERT_FALSE(IsCellOpen(WorldToCell(500.0f, 500.0f)));
  HitWith(10.0f, 0.0f);
  TwoFrames();

  int opened = 0;
  size_t i = 0;
  for (int32_t r = 0; r < kGridRows; ++r) {
    for (int32_t c = 0; c < kGridColumns; ++c, ++i) {
      const int32_t now = GridCellValue({r, c});
      if (now == before[i]) continue;
      // Only cells that were blocked, within reach of the pane and out of reach of the wall.
      ++opened;
      EXPECT_EQ(before[i], kCellBlocked);
      const GridPoint p = CellToWorld({r, c});
      EXPECT_LE(std::fabs(p.x - 500.0f), 12.5f + 2.0f * kGridCellSize) << r << "," << c;
      EXPECT_LE(std::fabs(p.y - 500.0f), 50.0f + 2.0f * kGridCellSize) << r << "," << c;
    }
  }
  EXPECT_GT(opened, 0);
  EXPECT_TRUE(IsCellOpen(WorldToCell(495.0f, 500.0f)));
  EXPECT_FALSE(IsCellOpen(WorldToCell(550.0f, 500.0f)));  // the wall still blocks
}

// ---- escape zone ----------------------------------------------------------------------------------

class EscapeZoneTest : public LevelTest {
 protected:
  Level* StartZoneLevel(int sceneId) {
    ObjectRecord zone = Record(ObjectType::EscapeZone, "Escapezone_1", 1000, 1000, 50, 50);
    zone.escapeDirection = EscapeDirection::Right;
    return StartTestLevel(sceneId, {zone, Record(ObjectType::Player, "Player_2", 300, 300, 43, 116)});
  }
  float FilterAlpha() {
    auto* filter = EscapeSignal()->GetComponentAs<Filter>(SlotOf(ComponentType::Filter));
    return filter == nullptr ? -1.0f : filter->GetColor().w();
  }
  // Frames until the signal's alpha reaches `target` (at most `limit`).
  int FramesUntilAlpha(float target, int limit = 400) {
    for (int n = 1; n <= limit; ++n) {
      Frame();
      if (EscapeSignalAlpha() == target) return n;
    }
    return limit + 1;
  }
};

TEST_F(EscapeZoneTest, TheSignalWaitsForTheGoalThenPulses) {
  Level* scene = StartZoneLevel(scene_id::kLevel1);
  for (int i = 0; i < 40; ++i) Frame();
  GameObject* signal = EscapeSignal();
  ASSERT_NE(signal, nullptr);
  EXPECT_FALSE(signal->visible);
  EXPECT_EQ(EscapeSignalAlpha(), 0.75f);
  EXPECT_FLOAT_EQ(signal->GetTransform()->position[0], 1000.0f);
  EXPECT_FLOAT_EQ(signal->GetTransform()->scale[1], 4100.0f);
  EXPECT_FLOAT_EQ(signal->GetTransform()->position[2], -1.0f);
  EXPECT_EQ(signal->GetComponent(SlotOf(ComponentType::UIHandler)), nullptr);

  scene->goalReached = true;
  // Paused frames do not move it.
  for (int i = 0; i < 10; ++i) Frame(0.0f);
  EXPECT_EQ(EscapeSignalAlpha(), 0.75f);
  EXPECT_TRUE(signal->visible);

  // 0.75 to 1.0 in 2.5 s, then 1.0 to 0.5 and back in 5 s each.
  EXPECT_NEAR(FramesUntilAlpha(1.0f), 100, 1);
  EXPECT_NEAR(FramesUntilAlpha(0.5f), 200, 1);
  EXPECT_NEAR(FramesUntilAlpha(1.0f), 200, 1);
  EXPECT_FLOAT_EQ(FilterAlpha(), 1.0f);
  Frame();
  EXPECT_LT(EscapeSignalAlpha(), 1.0f);
  EXPECT_FLOAT_EQ(FilterAlpha(), EscapeSignalAlpha());
}

// A level with two ways out has one signal, pulsing at the one pace; when a zone goes (deleted in
// the editor), the other carries the pulse on, and the signal goes only with the last zone.
TEST_F(EscapeZoneTest, TwoZonesPulseTheOneSignalAtOnePaceAndEitherCarriesItAlone) {
  ObjectRecord west = Record(ObjectType::EscapeZone, "Escapezone_1", -1000, 1000, 50, 50);
  ObjectRecord east = Record(ObjectType::EscapeZone, "Escapezone_3", 1000, 1000, 50, 50);
  Level* scene = StartTestLevel(scene_id::kLevel1, {west, Record(ObjectType::Player, "Player_2", 300, 300, 43, 116), east});
  Frame();
  scene->goalReached = true;
  EXPECT_NEAR(FramesUntilAlpha(1.0f), 100, 1) << "0.75 to 1.0 takes 2.5 s with two zones as with one";

  FindObject("Escapezone_1")->destroy = true;
  Frame();
  ASSERT_EQ(FindObject("Escapezone_1"), nullptr);
  ASSERT_NE(EscapeSignal(), nullptr) << "the other zone still stands";
  const float before = EscapeSignalAlpha();
  for (int i = 0; i < 40; ++i) Frame();
  EXPECT_NEAR(EscapeSignalAlpha(), before - 0.1f, 0.003f) << "the pulse goes on at its pace";
  EXPECT_FLOAT_EQ(FilterAlpha(), EscapeSignalAlpha());

  FindObject("Escapezone_3")->destroy = true;
  Frame();
  EXPECT_EQ(EscapeSignal(), nullptr);
}

TEST_F(EscapeZoneTest, OnlyLevelScenesGetASignalAndEachStartsAFreshOne) {
  StartZoneLevel(scene_id::kMainMenu);
  Frame();
  EXPECT_EQ(EscapeSignal(), nullptr);

  Level* level = StartZoneLevel(scene_id::kLevel2);
  level->goalReached = true;
  for (int i = 0; i < 30; ++i) Frame();
  ASSERT_NE(EscapeSignal(), nullptr);
  EXPECT_FLOAT_EQ(EscapeSignal()->GetTransform()->position[0], 1300.0f);
  EXPECT_GT(EscapeSignalAlpha(), 0.75f);
  RequestRestart();
  Frame();
  EXPECT_EQ(EscapeSignalAlpha(), 0.75f);
}

TEST_F(EscapeZoneTest, TouchingTheZoneEscapesWhateverTheFood) {
  Level* scene = StartZoneLevel(scene_id::kLevel1);
  Frame();
  EXPECT_FALSE(scene->exitStarted);
  // The player steps onto the zone's left edge.
  GameObject* player = FindObject("Player_2");
  player->GetTransform()->position[0] = 970.0f;
  player->GetTransform()->position[1] = 1000.0f;
  Frame();
  EXPECT_FALSE(scene->goalReached);
  EXPECT_TRUE(scene->exitStarted);
  EXPECT_EQ(PlayerShared().escapeDirection, static_cast<int>(EscapeDirection::Right));
}

}  // namespace
