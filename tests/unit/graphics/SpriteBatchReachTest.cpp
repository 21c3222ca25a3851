// The sprite batch's two ways of saving pixel work without changing a pixel: quads apart on the
// screen join an earlier draw of their texture (quads that share pixels keep their order), and
// each quad carries the lights that cannot reach it.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "HeadlessGraphics.h"
#include "graphics/Camera.h"
#include "graphics/Model.h"
#include "graphics/SpriteBatch.h"
#include "graphics/Texture.h"
#include "graphics/TextureShader.h"
#include "objects/GameObject.h"

using graphics_test::HeadlessGraphics;

namespace {

class SpriteOrderTest : public HeadlessGraphics {
 protected:
  void SetUp() override {
    HeadlessGraphics::SetUp();
    MainCamera().Render();  // the camera's view, from z = -1000
    guard_.view = WhitePixel();
    dust_.view = WhitePixel();
  }
  // A 20 x 20 sprite at (x, y) showing `texture`.
  GameObject* Sprite(float x, float y, Texture* texture) {
    objects_.push_back(std::make_unique<GameObject>("Thing_", x, y, 0, 20, 20, ObjectType::Enemy));
    objects_.back()->AddComponent(new Model("t.png"));
    Model* model = objects_.back()->FindComponent<Model>();
    model->Draw();  // looks its texture up (none on the null device) ...
    model->GetMesh()->texture = texture;  // ... and is given one
    return objects_.back().get();
  }
  static void Draw(GameObject* o) { o->FindComponent<Model>()->Draw(); }

  Texture guard_;
  Texture dust_;
  std::vector<std::unique_ptr<GameObject>> objects_;
};

TEST_F(SpriteOrderTest, QuadsApartJoinTheirTexturesDrawAndQuadsThatOverlapKeepTheirOrder) {
  // Guards with their dust beside them, one after another across the level: two draws, not eight.
  std::vector<GameObject*> guards, dusts;
  for (int i = 0; i < 4; ++i) {
    guards.push_back(Sprite(-300.0f + 200.0f * static_cast<float>(i), 0.0f, &guard_));
    dusts.push_back(Sprite(-300.0f + 200.0f * static_cast<float>(i), 60.0f, &dust_));
  }
  StartCounting();
  for (int i = 0; i < 4; ++i) {
    Draw(guards[i]);
    Draw(dusts[i]);
  }
  EXPECT_EQ(Flushed().drawCalls, 2u);
  EXPECT_EQ(Stats().indicesDrawn, 8u * 6u);

  // Dust drawn over the next guard: that guard may not move ahead of it.
  GameObject* over = Sprite(-100.0f, 5.0f, &dust_);
  StartCounting();
  Draw(guards[0]);
  Draw(over);
  Draw(guards[1]);  // under `over`: may not join the first draw, so a third
  Draw(guards[3]);  // joins the newest draw of its texture
  EXPECT_EQ(Flushed().drawCalls, 3u);
}

TEST_F(SpriteOrderTest, ScreenFurnitureAndWorldQuadsDoNotMixUnderDifferentMatrices) {
  GameObject* a = Sprite(0.0f, 0.0f, &guard_);
  GameObject* b = Sprite(300.0f, 0.0f, &dust_);
  StartCounting();
  Draw(a);
  Draw(b);
  MainCamera().position[0] = 40.0f;
  MainCamera().Render();
  Draw(a);  // same texture, but the view moved: a draw of its own
  EXPECT_EQ(Flushed().drawCalls, 3u);
  MainCamera().position[0] = 0.0f;
  MainCamera().Render();
}

// A light block with lights at (x, y) (z 0, so 10 units nearer the camera) and fall-off start and end.
struct TestLight {
  float x, y, start, end;
};
std::vector<uint8_t> LightBlock(const std::vector<TestLight>& lights) {
  std::vector<uint8_t> block(32 + 64 * lights.size(), 0);
  const uint32_t count = static_cast<uint32_t>(lights.size());
  std::memcpy(block.data() + 12, &count, 4);
  for (size_t i = 0; i < lights.size(); ++i) {
    uint8_t* at = block.data() + 32 + 64 * i;
    const float z = -10.0f;
    std::memcpy(at + 0, &lights[i].x, 4);
    std::memcpy(at + 4, &lights[i].y, 4);
    std::memcpy(at + 8, &z, 4);
    std::memcpy(at + 32, &lights[i].start, 4);
    std::memcpy(at + 48, &lights[i].end, 4);
  }
  return block;
}

// A 100 x 100 quad with its bottom-left corner at (x, y), at depth 0.
void Quad(float x, float y, TextureVertex out[4]) {
  const float cx[4] = {x, x, x + 100, x + 100};
  const float cy[4] = {y, y + 100, y + 100, y};
  for (int i = 0; i < 4; ++i) out[i] = {{cx[i], cy[i], 0.0f}, {0.0f, 0.0f}, 0, {0, 0, 0, 0}};
}

const uint8_t* Identity() {
  static const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  return reinterpret_cast<const uint8_t*>(identity);
}

TEST(UnreachedLightsTest, OnlyLightsWhoseReachEndsShortOfTheWholeQuadAreLeftOut) {
  const std::vector<uint8_t> block = LightBlock({
      {0, 0, 50, 400},      // 0: the quad's near edge lies 300 away: reached
      {0, 0, 50, 250},      // 1: ends short of it: left out
      {0, 0, 390, 100},     // 2: an end not past the start stops at the start (390): reached
      {0, 0, 260, 100},     // 3: stops at 260: left out
      {350, 50, 10, 20},    // 4: inside the quad: reached
      {0, 0, 50, 299.0f},   // 5: within the margin of the edge: kept
  });
  TextureVertex quad[4];
  Quad(300, 0, quad);
  uint32_t out[4];
  EXPECT_TRUE(UnreachedLights(quad, Identity(), block, out));
  EXPECT_EQ(out[0], (1u << 1) | (1u << 3));
  EXPECT_EQ(out[1] | out[2] | out[3], 0u);

  // Far from every light: all left out, none reaches.
  Quad(5000, 5000, quad);
  EXPECT_FALSE(UnreachedLights(quad, Identity(), block, out));
  EXPECT_EQ(out[0], 0x3Fu);
  // The world matrix moves the quad before the distances are taken.
  const float moveBack[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -5000, -5000, 0, 1};
  EXPECT_TRUE(UnreachedLights(quad, reinterpret_cast<const uint8_t*>(moveBack), block, out));
  EXPECT_EQ(out[0] & 1u, 0u);
}

TEST(UnreachedLightsTest, LightsPastThirtyTwoUseTheNextWordsAndOddValuesKeepTheLight) {
  std::vector<TestLight> lights(70, TestLight{0, 0, 10, 20});
  const float endless = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  lights[40] = {1e30f, 0, endless, endless};  // an endless reach, very far away: kept
  lights[69] = {0, 0, nan, nan};              // not a number: kept
  TextureVertex quad[4];
  Quad(1000, 1000, quad);
  uint32_t out[4];
  EXPECT_TRUE(UnreachedLights(quad, Identity(), LightBlock(lights), out));
  EXPECT_EQ(out[0], 0xFFFFFFFFu);
  EXPECT_EQ(out[1], 0xFFFFFFFFu & ~(1u << 8));
  EXPECT_EQ(out[2], 0x3Fu & ~(1u << 5));
  EXPECT_EQ(out[3], 0u);
  // No lights at all: nothing to leave out, nothing reaches.
  EXPECT_FALSE(UnreachedLights(quad, Identity(), LightBlock({}), out));
  EXPECT_EQ(out[0] | out[1] | out[2] | out[3], 0u);
}

}  // namespace
