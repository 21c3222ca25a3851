// The lit draws' pixel stage: a draw none of whose quads more than kLightSlots lights reach goes to
// a variant whose vertex stage hands the quad's lights over in slots; any other lit draw loops.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "HeadlessGraphics.h"
#include "graphics/Camera.h"
#include "graphics/Light.h"
#include "graphics/Model.h"
#include "graphics/SpriteBatch.h"
#include "graphics/Texture.h"
#include "graphics/TextureShader.h"
#include "objects/GameObject.h"

using graphics_test::HeadlessGraphics;

namespace {

TEST(ReachedLightCountTest, CountsTheBlocksLightsNotLeftOut) {
  const uint32_t none[4] = {0, 0, 0, 0};
  EXPECT_EQ(ReachedLightCount(none, 0), 0);
  EXPECT_EQ(ReachedLightCount(none, 5), 5);  // bits past the count mean nothing
  EXPECT_EQ(ReachedLightCount(none, 32), 32);
  EXPECT_EQ(ReachedLightCount(none, 500), kMaxLights);
  const uint32_t some[4] = {0xFFFFFFFEu, 0xFFFFFFFFu & ~(1u << 7), 0xFFFFFFFFu, 0u};
  EXPECT_EQ(ReachedLightCount(some, 70), 2);  // lights 0 and 39
  EXPECT_EQ(ReachedLightCount(some, 98), 4);  // and 96, 97
}

class LightSlotsTest : public HeadlessGraphics {
 protected:
  void SetUp() override {
    HeadlessGraphics::SetUp();
    MainCamera().Render();
    picture_.view = WhitePixel();
    // Four lamps reach the middle, two the right, four a spot off the screen; nothing the left.
    for (int i = 0; i < 4; ++i) Lamp(0.0f);
    for (int i = 0; i < 2; ++i) Lamp(500.0f);
    for (int i = 0; i < 4; ++i) Lamp(5000.0f);
  }
  void Lamp(float x) {
    lamps_.push_back(std::make_unique<GameObject>("Light_", x, 0.0f, 0.0f, 1.0f, 1.0f, ObjectType::Light));
    lamps_.back()->AddComponent(new Light(1.0f, 10.0f, 50.0f, Vector3(1, 1, 1)));
  }
  GameObject* Sprite(float x, ObjectType kind = ObjectType::Enemy) {
    objects_.push_back(std::make_unique<GameObject>("Thing_", x, 0.0f, 0, 20, 20, kind));
    objects_.back()->AddComponent(new Model("t.png"));
    Model* model = objects_.back()->FindComponent<Model>();
    model->Draw();
    model->GetMesh()->texture = &picture_;
    return objects_.back().get();
  }
  // Draws the sprites as one frame; true when they went out as one draw.
  bool DrawnTogether(const std::vector<GameObject*>& sprites) {
    StartCounting();
    ResetSpriteFrameStats();
    for (GameObject* o : sprites) o->FindComponent<Model>()->Draw();
    return Flushed().drawCalls == 1;
  }

  // The last frame's lit draws: by slots and by the loop.
  static void ExpectLit(uint64_t bySlots, uint64_t byLoop) {
    EXPECT_EQ(GetSpriteFrameStats().drawsLitBySlots, bySlots);
    EXPECT_EQ(GetSpriteFrameStats().drawsLitByLoop, byLoop);
  }

  Texture picture_;
  std::vector<std::unique_ptr<GameObject>> lamps_;
  std::vector<std::unique_ptr<GameObject>> objects_;
};

TEST_F(LightSlotsTest, TheMostLightsOnOneQuadChooseSlotsOrTheLoopAndNeverSplitTheDraw) {
  GameObject* dark = Sprite(-500.0f);
  GameObject* twoLamps = Sprite(500.0f);
  GameObject* fourLamps = Sprite(0.0f);

  ASSERT_TRUE(DrawnTogether({dark}));
  ExpectLit(0, 0);

  ASSERT_TRUE(DrawnTogether({dark, twoLamps}));
  ExpectLit(1, 0);

  // One quad past the slots sends the whole draw to the loop.
  ASSERT_TRUE(DrawnTogether({twoLamps, fourLamps, dark}));
  ExpectLit(0, 1);

  // A quad that is not drawn (off the screen) takes no part in the choice.
  ASSERT_TRUE(DrawnTogether({Sprite(5000.0f), twoLamps}));
  ExpectLit(1, 0);
}

TEST_F(LightSlotsTest, ScreenFurnitureUnderTheLampsCountsNoLights) {
  // Its vertices leave no light out (it is never lit), yet it needs no slot.
  ASSERT_TRUE(DrawnTogether({Sprite(0.0f, ObjectType::UI), Sprite(500.0f)}));
  ExpectLit(1, 0);
  EXPECT_EQ(GetSpriteFrameStats().drawsUntinted, 0u);
}

TEST_F(LightSlotsTest, AnUnlitDrawLeavesTheAmbientTintOutOnlyWhereItIsExactlyOne) {
  GameObject* furniture = Sprite(-500.0f, ObjectType::Text);
  GameObject* dark = Sprite(-400.0f);
  ASSERT_TRUE(DrawnTogether({furniture}));
  EXPECT_EQ(GetSpriteFrameStats().drawsUntinted, 1u);
  ASSERT_TRUE(DrawnTogether({furniture, dark}));  // under the default ambient: white at half intensity
  EXPECT_EQ(GetSpriteFrameStats().drawsUntinted, 0u);
  SetAmbient(2.0f, 2.0f, 2.0f, 0.5f);  // white at intensity 1, in single precision
  const bool together = DrawnTogether({furniture, dark});
  SetAmbient(1.0f, 1.0f, 1.0f, 0.5f);
  ASSERT_TRUE(together);
  EXPECT_EQ(GetSpriteFrameStats().drawsUntinted, 1u);
}

}  // namespace
