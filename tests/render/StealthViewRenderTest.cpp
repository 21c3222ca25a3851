// The guards' vision cones and the arrows to off-screen guards, drawn for real. The cones go on the
// floor (after the backgrounds, before other objects); their rays are the guards' own sight rays,
// so walls stop them and glass does not. Floors here are plain grey, so a cone shows as a tint.
#include "RenderFixture.h"

#include "gameplay/BehaviorStates.h"
#include "gameplay/GameplayHooks.h"
#include "gameplay/HumanBehavior.h"
#include "gameplay/SpotterArrows.h"
#include "gameplay/VisionCones.h"
#include "objects/Collision.h"
#include "objects/Transform.h"
#include "scenes/HumanTuning.h"

using namespace render_test;

namespace {

constexpr int kFloorGrey = 128;

class StealthViewRenderTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    ResetHumanTuning();
    StealthView() = StealthViewOptions{};
    GetObjectPassHooks() = ObjectPassHooks{};
    InstallStealthViewHooks();
    // A grey floor as large as the view: the level's backgrounds come first in the list.
    ColorObject(0, 0, 0, 3000, 3000, 0.5f, 0.5f, 0.5f, 1.0f, ObjectType::Background);
  }
  void TearDown() override {
    GetObjectPassHooks() = ObjectPassHooks{};
    ReleaseVisionCones();
    ReleaseSpotterArrows();
    RenderTest::TearDown();
  }

  // A guard at (x, y) facing `rotation` degrees in `state`. Without a player a guard turns idle in
  // its first update, so every pass starts it in that state again.
  HumanBehavior* AddGuard(float x, float y, float rotation, int state, float aggro = 0.0f) {
    auto* guard = new GameObject("Enemy_", x, y, 0, 30, 30, ObjectType::Enemy);
    guard->GetTransform()->rotation = rotation;
    auto* human = new HumanBehavior(x, y, 0);
    human->currentState = state;
    human->nextState = state;
    human->aggro = aggro;
    guard->AddComponent(human);
    AddObject(guard);
    guards_.push_back({human, state, aggro});
    return human;
  }
  // A box of that type with a collision shape and a colour.
  void AddBox(ObjectType type, float x, float y, float w, float h, float r, float g, float b) {
    ColorObject(x, y, 0, w, h, r, g, b, 1.0f, type)->AddComponent(new BoxCollision());
  }
  // Two passes: the first builds the boxes' edges, which the sight rays of the second use.
  void Render() {
    for (int pass = 0; pass < 2; ++pass) {
      for (const Posed& g : guards_) {
        g.human->currentState = g.human->nextState = g.state;
        g.human->aggro = g.aggro;
      }
      RenderObjects();
    }
  }
  struct Posed {
    HumanBehavior* human;
    int state;
    float aggro;
  };
  std::vector<Posed> guards_;
  bool Grey(const Rgba& c) const { return c.r == kFloorGrey && c.g == kFloorGrey && c.b == kFloorGrey; }
};

}  // namespace

TEST_F(StealthViewRenderTest, ACalmConeTintsTheFloorInsideItsAngleAndRadiusOnly) {
  AddGuard(-300, 0, 0.0f, human_state::kIdle);  // faces +x; radius 500, opening 120
  Render();
  const Rgba inside = AtWorld(0, 0);
  EXPECT_FALSE(Grey(inside)) << inside;
  EXPECT_GT(inside.b, inside.r) << "calm is a pale blue " << inside;
  EXPECT_TRUE(Grey(AtWorld(-400, 0))) << "behind the guard";
  EXPECT_TRUE(Grey(AtWorld(-300 + 150, 300))) << "outside the 60-degree half angle";
  EXPECT_FALSE(Grey(AtWorld(-300 + 250, 120))) << "inside it";
  EXPECT_TRUE(Grey(AtWorld(-300 + 520, 0))) << "beyond the radius";
  // The proximity ring at 70 units, behind the guard as well.
  EXPECT_FALSE(Grey(AtWorld(-300 - 69, 0)));
  EXPECT_TRUE(Grey(AtWorld(-300 - 60, 0)));
}

TEST_F(StealthViewRenderTest, AWallStopsTheConeAndGlassDoesNot) {
  HumanTuningValues().detection_angle = 60;  // two cones that stay apart
  AddGuard(-400, 200, 0.0f, human_state::kIdle);
  AddBox(ObjectType::Wall, -200, 200, 20, 100, 0, 0, 0);  // a wall across the upper cone
  AddGuard(-400, -250, 0.0f, human_state::kIdle);
  AddBox(ObjectType::Glass, -200, -250, 20, 100, 0, 0.6f, 0.6f);  // a pane across the lower one
  Render();
  EXPECT_FALSE(Grey(AtWorld(-250, 200))) << "before the wall";
  EXPECT_TRUE(Grey(AtWorld(-100, 200))) << "the wall's shadow";
  EXPECT_TRUE(Grey(AtWorld(0, 200)));
  EXPECT_FALSE(Grey(AtWorld(-100, 300))) << "past the wall's end the cone goes on";
  EXPECT_FALSE(Grey(AtWorld(-100, -250))) << "through the glass";
  EXPECT_FALSE(Grey(AtWorld(0, -250)));
}

TEST_F(StealthViewRenderTest, TheTintFollowsTheGuardsMood) {
  const float ys[4] = {300, 100, -100, -300};
  AddGuard(-500, ys[0], 0.0f, human_state::kPatrol);
  AddGuard(-500, ys[1], 0.0f, human_state::kPatrol, 0.4f);  // meter filling
  AddGuard(-500, ys[2], 0.0f, human_state::kHalfAlert, 0.8f);
  AddGuard(-500, ys[3], 0.0f, human_state::kFullAlert, 1.0f);
  HumanTuningValues().detection_angle = 20;  // narrow cones that do not overlap
  Render();
  const Rgba calm = AtWorld(-350, ys[0]);
  const Rgba noticing = AtWorld(-350, ys[1]);
  const Rgba searching = AtWorld(-350, ys[2]);
  const Rgba chasing = AtWorld(-350, ys[3]);
  EXPECT_GT(calm.b, calm.r) << calm;
  EXPECT_GT(noticing.g, noticing.b + 40) << "yellow " << noticing;
  EXPECT_GT(noticing.r, noticing.b + 40) << noticing;
  EXPECT_GT(searching.r, searching.g + 30) << "orange " << searching;
  EXPECT_GT(searching.g, searching.b + 20) << searching;
  EXPECT_GT(chasing.r, chasing.g + 60) << "red " << chasing;
  EXPECT_NEAR(chasing.g, chasing.b, 12) << chasing;
}

TEST_F(StealthViewRenderTest, ConesAreDrawnUnderTheObjectsAndCanBeSwitchedOff) {
  AddGuard(-300, 0, 0.0f, human_state::kFullAlert, 1.0f);
  ColorObject(0, 0, 0, 60, 60, 0, 1, 0);  // a green object inside the cone
  Render();
  EXPECT_RGB_NEAR(AtWorld(0, 0), 0, 255, 0, 1);
  EXPECT_FALSE(Grey(AtWorld(100, 0)));
  StealthView().visionCones = false;
  Render();
  EXPECT_TRUE(Grey(AtWorld(100, 0)));
}

TEST_F(StealthViewRenderTest, AnOffScreenChasingGuardGetsAnArrowOnItsSide) {
  // The view spans x -736..736 and y -414..414. The chaser is far right, the calm guard far left.
  AddGuard(2000, 0, 180.0f, human_state::kFullAlert, 1.0f);
  AddGuard(-2000, 0, 0.0f, human_state::kPatrol);
  AddGuard(0, 1500, 270.0f, human_state::kGrace, 1.0f);  // grace, straight above
  Render();
  // The right arrow: red fill a little inside the right edge on the middle row, nothing at the left.
  const Rgba right = At(render_test::kWidth - 30, render_test::kHeight / 2);
  EXPECT_GT(right.r, 200) << right;
  EXPECT_LT(right.g, 60) << right;
  int coloured = 0;
  for (int x = 0; x < 120; ++x) coloured += Grey(At(x, render_test::kHeight / 2)) ? 0 : 1;
  EXPECT_EQ(coloured, 0) << "a calm guard off screen gets no arrow";
  // The grace arrow at the top, yellow.
  const Rgba top = At(render_test::kWidth / 2, 30);
  EXPECT_GT(top.r, 200) << top;
  EXPECT_GT(top.g, 170) << top;
  EXPECT_LT(top.b, 80) << top;

  StealthView().spotterArrows = false;
  Render();
  EXPECT_TRUE(Grey(At(render_test::kWidth - 30, render_test::kHeight / 2)));
}

TEST(SpotterArrowGeometry, TheArrowSitsOnTheEdgeTowardsTheGuard) {
  const ViewRect view{-700, -400, 700, 400};
  EdgeArrow arrow;
  EXPECT_FALSE(ArrowFor(view, 600, 300, &arrow)) << "on screen";
  ASSERT_TRUE(ArrowFor(view, 3000, 0, &arrow));
  EXPECT_GT(arrow.x, 650);
  EXPECT_LE(arrow.x, 700);
  EXPECT_NEAR(arrow.y, 0, 0.01);
  EXPECT_NEAR(arrow.dirX, 1, 1e-5);
  ASSERT_TRUE(ArrowFor(view, -1000, -1000, &arrow));
  EXPECT_LT(arrow.y, -350) << "down-left leaves through the bottom";
  EXPECT_GT(arrow.x, -700);
  EXPECT_LT(arrow.dirX, 0);
  EXPECT_LT(arrow.dirY, 0);
}
