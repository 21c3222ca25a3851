// The editor's zoom: the wheel brings the view nearer or farther around the cursor, within limits,
// and the level always runs from the game's own distance.
#include "editor/EditorView.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "graphics/Camera.h"
#include "graphics/ScreenToWorld.h"

namespace {

constexpr int kWidth = 1280, kHeight = 720;

class EditorViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildProjection(static_cast<float>(kWidth) / static_cast<float>(kHeight));
    ResetEditView();
    MainCamera().position[0] = 100.0f;
    MainCamera().position[1] = -50.0f;
    MainCamera().Render();
  }
  void TearDown() override {
    ResetEditView();
    MainCamera().position[0] = MainCamera().position[1] = 0.0f;
    MainCamera().Render();
  }
  static WorldPoint Under(float x, float y) { return ScreenToWorldIn(x, y, 0.0f, kWidth, kHeight); }
};

TEST_F(EditorViewTest, ZoomingKeepsTheWorldPointUnderTheCursorWhereItIs) {
  // A pixel spans a little over one world unit at the game's distance; the game reads points back
  // a pixel or two off the exact projection.
  for (auto [x, y, notches] : {std::tuple{1000.0f, 150.0f, 3}, std::tuple{200.0f, 600.0f, -2}, std::tuple{640.0f, 360.0f, 1}}) {
    const WorldPoint before = Under(x, y);
    const float distance = ViewDistance();
    ZoomViewAt(x, y, notches, kWidth, kHeight);
    EXPECT_NEAR(ViewDistance(), distance / std::pow(kZoomStep, static_cast<float>(notches)), 0.01f);
    const WorldPoint after = Under(x, y);
    EXPECT_NEAR(after.x, before.x, 2.5f) << x << "," << y;
    EXPECT_NEAR(after.y, before.y, 2.5f) << x << "," << y;
  }
  // Zoomed in, the same stretch of screen spans less of the world.
  ResetEditView();
  const float wide = Under(1000.0f, 360.0f).x - Under(200.0f, 360.0f).x;
  ZoomViewAt(640.0f, 360.0f, 4, kWidth, kHeight);
  EXPECT_LT(Under(1000.0f, 360.0f).x - Under(200.0f, 360.0f).x, wide * 0.6f);
}

TEST_F(EditorViewTest, TheZoomStopsAtItsLimitsAndTheLevelRunsFromTheGamesDistance) {
  ZoomViewAt(640.0f, 360.0f, 100, kWidth, kHeight);
  EXPECT_EQ(ViewDistance(), kNearestViewDistance);
  ZoomViewAt(640.0f, 360.0f, -100, kWidth, kHeight);
  EXPECT_EQ(ViewDistance(), kFarthestViewDistance);
  ZoomViewAt(640.0f, 360.0f, 3, kWidth, kHeight);
  const float edited = ViewDistance();
  EnterPlayView();
  EXPECT_EQ(ViewDistance(), kGameViewDistance);
  EnterEditView();
  EXPECT_EQ(ViewDistance(), edited);
}

}  // namespace
