// The editor's guard coverage heat map, drawn over the level through the editor's overlay and read
// back: red where the guard's sight test sees the player, the level's own colour behind a wall,
// behind the guard's back and beyond its reach.
#include <gtest/gtest.h>

#include "RenderFixture.h"
#include "editor/CoverageView.h"
#include "editor/ImGuiLayer.h"
#include "gameplay/GuardCoverage.h"
#include "graphics/Light.h"
#include "imgui.h"
#include "objects/Collision.h"
#include "objects/Transform.h"
#include "scenes/Factory.h"

namespace {

using render_test::Rgba;

class GuardCoverageRenderTest : public render_test::RenderTest {
 protected:
  void TearDown() override {
    StopImGuiLayer();
    GetFactoryHooks() = FactoryHooks{};
    RenderTest::TearDown();
  }
};

TEST_F(GuardCoverageRenderTest, RedWhereTheGuardSeesAndTheLevelBehindAWallItsBackAndItsReach) {
  GetFactoryHooks() = FactoryHooks{};
  // The level: blue everywhere, a guard at the origin facing +x (no patrol: it stands), a wall
  // across its view 150 units ahead, the player somewhere out of the way.
  ColorObject(0.0f, 0.0f, 1.0f, 3000.0f, 2000.0f, 0.0f, 0.0f, 1.0f, 1.0f, ObjectType::Background);
  GameObject* guard = CreateEnemy(0.0f, 0.0f);
  guard->GetTransform()->rotation = 0.0f;
  CreatePlayer(-600.0f, 380.0f);
  GameObject* wall = CreateWall(150.0f, -100.0f);
  wall->GetTransform()->scale[0] = 20.0f;
  wall->GetTransform()->scale[1] = 200.0f;  // from y -200 to 0: the row y = -60 lies behind it
  wall->GetComponentAs<Collision>(SlotOf(ComponentType::Collision))->Draw();
  for (GameObject* o : {guard, wall}) o->visible = false;  // only the map and the floor show

  const CoverageMap map = ComputeGuardCoverage(25.0f);
  ASSERT_GT(map.columns, 0);
  StartImGuiLayer();
  BeginImGuiFrame(0.02f);
  DrawCoverageMap(map, ImGui::GetBackgroundDrawList(), render_test::kWidth, render_test::kHeight);
  EndImGuiFrame();
  RenderObjects();
  DrawImGuiLayer();
  ASSERT_TRUE(Gpu().ReadBackBuffer(&frame_));

  const auto red = [](Rgba p) { return p.r > 150 && p.b < 110; };
  const auto floor = [](Rgba p) { return p.r < 10 && p.b > 245; };
  EXPECT_TRUE(red(AtWorld(112.0f, 12.0f))) << "in front, before the wall: " << AtWorld(112.0f, 12.0f);
  EXPECT_TRUE(red(AtWorld(312.0f, 62.0f))) << "past the wall's end, in the cone: " << AtWorld(312.0f, 62.0f);
  EXPECT_TRUE(floor(AtWorld(312.0f, -62.0f))) << "behind the wall: " << AtWorld(312.0f, -62.0f);
  EXPECT_TRUE(floor(AtWorld(-212.0f, 12.0f))) << "behind the guard's back: " << AtWorld(-212.0f, 12.0f);
  EXPECT_TRUE(red(AtWorld(-37.0f, 12.0f))) << "close behind: noticed without looking: " << AtWorld(-37.0f, 12.0f);
  EXPECT_TRUE(floor(AtWorld(-262.0f, 362.0f))) << "far off: " << AtWorld(-262.0f, 362.0f);
}

}  // namespace
