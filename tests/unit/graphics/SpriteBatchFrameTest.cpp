// The sprite batch's whole-frame decisions on the null device: which draws go without the depth
// test, which quads are left out, and that mid-frame flushes and outside draws stay on the safe side.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "HeadlessGraphics.h"
#include "graphics/Camera.h"
#include "graphics/ColorMesh.h"
#include "graphics/Filter.h"
#include "graphics/Light.h"
#include "graphics/Model.h"
#include "graphics/SpriteBatch.h"
#include "graphics/Texture.h"
#include "graphics/TextureShader.h"
#include "objects/GameObject.h"

using graphics_test::HeadlessGraphics;

namespace {

class SpriteFrameTest : public HeadlessGraphics {
 protected:
  void SetUp() override {
    HeadlessGraphics::SetUp();
    BuildProjection(1280.0f / 720.0f);
    MainCamera().Render();
    ResetSpriteFrameStats();
    opaque_ = MakeTexture(255);
    seeThrough_ = MakeTexture(128);
  }
  void TearDown() override {
    Gpu().DestroyTexture(opaque_->view);
    Gpu().DestroyTexture(seeThrough_->view);
    HeadlessGraphics::TearDown();
  }

  // A 2 x 2 texture whose texels all have the given alpha.
  std::unique_ptr<Texture> MakeTexture(uint8_t alpha) {
    auto texture = std::make_unique<Texture>();
    const std::vector<uint8_t> rgba = {9, 9, 9, alpha, 9, 9, 9, alpha, 9, 9, 9, alpha, 9, 9, 9, alpha};
    texture->view = Gpu().CreateTexture(2, 2, rgba.data(), false, true);
    texture->width = texture->height = 2;
    texture->opaque.Build(2, 2, rgba.data());
    return texture;
  }

  // A sprite of `size` world units at (x, y, z) showing `texture`.
  GameObject* Sprite(float x, float y, float z, float size, Texture* texture) {
    objects_.push_back(std::make_unique<GameObject>("Thing_", x, y, z, size, size, ObjectType::Food));
    auto* model = new Model("t.png");
    objects_.back()->AddComponent(model);
    model->Draw();  // makes the mesh; nothing is drawn yet without a texture
    model->GetMesh()->texture = texture;
    return objects_.back().get();
  }
  static void Draw(GameObject* o) { o->FindComponent<Model>()->Draw(); }

  // Sends whatever is left and counts from zero; a test then clears the depth as a frame does
  // (or not).
  void BeginFrame() {
    StartCounting();
    ResetSpriteFrameStats();
    FlushSprites();  // takes note of the fresh counts
  }

  std::unique_ptr<Texture> opaque_;
  std::unique_ptr<Texture> seeThrough_;
  std::vector<std::unique_ptr<GameObject>> objects_;
};

TEST_F(SpriteFrameTest, AFrameDrawnBackToFrontGoesWithoutDepthAndTheTestIsBackOnAfter) {
  GameObject* floor = Sprite(0, 0, 1.5f, 40, seeThrough_.get());
  GameObject* thing = Sprite(0, 0, 0.0f, 10, opaque_.get());
  BeginFrame();
  Gpu().Clear(0, 0, 0, 1, 1);
  Draw(floor);
  Draw(thing);
  FinishSpriteFrame();
  EXPECT_EQ(Stats().drawCalls, 2u);
  // 1.5 units apart at the camera's distance is too close to order: both keep the test.
  EXPECT_EQ(Stats().drawsWithoutDepth, 0u);

  GameObject* label = Sprite(0, 0, -11.0f, 10, opaque_.get());
  BeginFrame();
  Gpu().Clear(0, 0, 0, 1, 1);
  Draw(floor);
  Draw(label);
  FinishSpriteFrame();
  EXPECT_EQ(Stats().drawsWithoutDepth, 2u);
  EXPECT_TRUE(Gpu().DepthTestOn());
  EXPECT_EQ(GetSpriteFrameStats().drawsWithoutDepth, 2u);

  // The other way round the floor would fail the test where the label is.
  BeginFrame();
  Gpu().Clear(0, 0, 0, 1, 1);
  Draw(label);
  Draw(floor);
  FinishSpriteFrame();
  EXPECT_EQ(Stats().drawCalls, 2u);
  EXPECT_EQ(Stats().drawsWithoutDepth, 0u);
}

TEST_F(SpriteFrameTest, AFlushBeforeTheFrameEndsOrAnOutsideDrawKeepsTheDepthTest) {
  GameObject* floor = Sprite(0, 0, 1.5f, 40, seeThrough_.get());
  GameObject* label = Sprite(0, 0, -11.0f, 10, opaque_.get());
  // No clear since the last frame: the depth buffer holds something unknown.
  BeginFrame();
  Draw(floor);
  Draw(label);
  FinishSpriteFrame();
  EXPECT_EQ(Stats().drawsWithoutDepth, 0u);
  // Something else may draw and test against the depth after a plain flush.
  BeginFrame();
  Gpu().Clear(0, 0, 0, 1, 1);
  Draw(floor);
  Draw(label);
  FlushSprites();
  EXPECT_EQ(Stats().drawsWithoutDepth, 0u);
  // A draw straight through the program since the clear.
  BeginFrame();
  Gpu().Clear(0, 0, 0, 1, 1);
  platform::GpuBuffer vertices = Gpu().CreateVertexBuffer(platform::VertexLayout::Texture, nullptr, 6 * 40);
  const uint32_t indices[6] = {0, 1, 2, 3, 4, 5};
  platform::GpuBuffer indexBuffer = Gpu().CreateIndexBuffer(indices, 6);
  GetTextureShader()->Render(vertices, indexBuffer, 6, nullptr, nullptr);
  Draw(floor);
  Draw(label);
  FinishSpriteFrame();
  EXPECT_EQ(Stats().drawCalls, 3u);
  EXPECT_EQ(Stats().drawsWithoutDepth, 0u);
  Gpu().DestroyBuffer(vertices);
  Gpu().DestroyBuffer(indexBuffer);
}

TEST_F(SpriteFrameTest, AnOpaqueSpriteDrawnOverAnotherLeavesItOut) {
  GameObject* under = Sprite(0, 0, 0.0f, 10, seeThrough_.get());
  GameObject* over = Sprite(0, 0, 0.0f, 40, opaque_.get());
  BeginFrame();
  Draw(under);
  Draw(over);
  FlushSprites();
  EXPECT_EQ(Stats().drawCalls, 1u);
  EXPECT_EQ(Stats().indicesDrawn, 6u);
  EXPECT_EQ(GetSpriteFrameStats().hiddenQuads, 1u);

  // Not when the cover lets anything through: see-through texels, or a filter that fades it.
  GameObject* glass = Sprite(0, 0, 0.0f, 40, seeThrough_.get());
  BeginFrame();
  Draw(under);
  Draw(glass);
  FlushSprites();
  EXPECT_EQ(Stats().indicesDrawn, 12u);
  over->AddComponent(new Filter(FilterType::Color, 0, Vector4(-1.0f, 0.0f, 0.0f, 0.99f)));
  BeginFrame();
  Draw(under);
  Draw(over);
  FlushSprites();
  EXPECT_EQ(Stats().indicesDrawn, 12u);
  // Nor when the cover is farther: the depth test keeps the first sprite where it is.
  GameObject* behind = Sprite(0, 0, 5.0f, 40, opaque_.get());
  BeginFrame();
  Draw(under);
  Draw(behind);
  FlushSprites();
  EXPECT_EQ(Stats().indicesDrawn, 12u);
}

TEST_F(SpriteFrameTest, MeshTrianglesJoinTheFrameAsQuads) {
  ColorMesh mesh;
  const float rgba[4] = {1, 0, 0, 0.5f};
  mesh.AddTriangle(0, 0, 10, 0, 0, 10, 0, rgba);
  mesh.AddTriangle(20, 0, 30, 0, 20, 10, 0, rgba);
  BeginFrame();
  Gpu().Clear(0, 0, 0, 1, 1);
  mesh.Draw();
  EXPECT_EQ(Stats().drawCalls, 0u);  // held with the frame
  FinishSpriteFrame();
  EXPECT_EQ(Stats().drawCalls, 1u);
  EXPECT_EQ(Stats().indicesDrawn, 12u);
  EXPECT_EQ(Stats().drawsWithoutDepth, 1u);
  mesh.Release();
}


TEST_F(SpriteFrameTest, EachQuadIsJudgedUnderTheMatricesAndLightsOfItsOwnDraw) {
  // The batch keeps the last projection and light block it worked out: a camera move or a new
  // light between two quads of one frame must still be seen by the second.
  GameObject* thing = Sprite(0, 0, 0.0f, 10, seeThrough_.get());  // so the third does not hide the first
  BeginFrame();
  Draw(thing);
  MainCamera().position[0] = 5000.0f;  // the sprite is now far off the screen's right edge ...
  MainCamera().Render();
  Draw(thing);
  MainCamera().position[0] = 0.0f;  // ... and back in the middle
  MainCamera().Render();
  Draw(thing);
  FlushSprites();
  EXPECT_EQ(GetSpriteFrameStats().offScreenQuads, 1u);
  EXPECT_EQ(Stats().drawCalls, 1u);  // the third quad joins the first: same matrices, nothing between
  EXPECT_EQ(Stats().indicesDrawn, 12u);

  GameObject* other = Sprite(300, 0, 0.0f, 10, seeThrough_.get());
  auto lamp = std::make_unique<GameObject>("Light_", 0, 0, 0, 1, 1, ObjectType::Light);
  BeginFrame();
  Draw(thing);
  lamp->AddComponent(new Light(1.0f, 10.0f, 20.0f, Vector3(1, 1, 1)));
  Draw(other);  // apart from `thing`, same texture, but under a light block with one more light
  FlushSprites();
  EXPECT_EQ(Stats().drawCalls, 2u);
  lamp.reset();
  BeginFrame();
  Draw(thing);
  Draw(other);
  FlushSprites();
  EXPECT_EQ(Stats().drawCalls, 1u);
}

}  // namespace
