// The sprite batch's whole-frame decisions on the null device: which draws go without the depth
// test, which quads are left out, and that mid-frame flushes and outside draws stay on the safe side.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "HeadlessGraphics.h"
#include "graphics/Camera.h"
#include "graphics/ColorMesh.h"
#include "graphics/ColorShader.h"
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
  // A whole frame of the sprites, in order, on a cleared depth buffer.
  const platform::GpuStats& Frame(std::initializer_list<GameObject*> sprites) {
    BeginFrame();
    Gpu().Clear(0, 0, 0, 1, 1);
    for (GameObject* o : sprites) Draw(o);
    FinishSpriteFrame();
    return Stats();
  }
  // The sprites, in order, sent with a plain flush (the frame goes on).
  const platform::GpuStats& Flush(std::initializer_list<GameObject*> sprites) {
    BeginFrame();
    for (GameObject* o : sprites) Draw(o);
    FlushSprites();
    return Stats();
  }

  std::unique_ptr<Texture> opaque_;
  std::unique_ptr<Texture> seeThrough_;
  std::vector<std::unique_ptr<GameObject>> objects_;
};

TEST_F(SpriteFrameTest, AFrameDrawnBackToFrontGoesWithoutDepthUnlessUnclearedFlushedEarlyOrDrawnIntoFromOutside) {
  GameObject* floor = Sprite(0, 0, 1.5f, 40, seeThrough_.get());
  GameObject* thing = Sprite(0, 0, 0.0f, 10, opaque_.get());
  EXPECT_EQ(Frame({floor, thing}).drawCalls, 2u);
  // 1.5 units apart at the camera's distance is too close to order: both keep the test.
  EXPECT_EQ(Stats().drawsWithoutDepth, 0u);

  GameObject* label = Sprite(0, 0, -11.0f, 10, opaque_.get());
  EXPECT_EQ(Frame({floor, label}).drawsWithoutDepth, 2u);
  EXPECT_TRUE(Gpu().DepthTestOn());
  EXPECT_EQ(GetSpriteFrameStats().drawsWithoutDepth, 2u);

  // The other way round the floor would fail the test where the label is.
  EXPECT_EQ(Frame({label, floor}).drawCalls, 2u);
  EXPECT_EQ(Stats().drawsWithoutDepth, 0u);

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
  EXPECT_EQ(Flush({under, over}).drawCalls, 1u);
  EXPECT_EQ(Stats().indicesDrawn, 6u);
  EXPECT_EQ(GetSpriteFrameStats().hiddenQuads, 1u);

  // Not when the cover lets anything through: see-through texels, or a filter that fades it.
  GameObject* glass = Sprite(0, 0, 0.0f, 40, seeThrough_.get());
  EXPECT_EQ(Flush({under, glass}).indicesDrawn, 12u);
  over->AddComponent(new Filter(FilterType::Color, 0, Vector4(-1.0f, 0.0f, 0.0f, 0.99f)));
  EXPECT_EQ(Flush({under, over}).indicesDrawn, 12u);
  // Nor when the cover is farther: the depth test keeps the first sprite where it is.
  GameObject* behind = Sprite(0, 0, 5.0f, 40, opaque_.get());
  EXPECT_EQ(Flush({under, behind}).indicesDrawn, 12u);
  EXPECT_EQ(Stats().drawsScissored, 0u);
  // Covered but for a band along its bottom, it is drawn limited to the band, and only it.
  GameObject* lid = Sprite(0, 2.5f, 0.0f, 10, opaque_.get());
  EXPECT_EQ(Flush({under, lid}).drawsScissored, 1u);
  EXPECT_FALSE(Gpu().ScissorOn());
  // Covered but for an L along its bottom and left side, it goes out twice, limited to a
  // rectangle of the L each time.
  GameObject* backdrop = Sprite(0, 0, 0.0f, 300, seeThrough_.get());
  GameObject* floor = Sprite(75, 75, 0.0f, 300, opaque_.get());
  EXPECT_EQ(Flush({backdrop, floor}).drawsScissored, 2u);
  EXPECT_EQ(Stats().drawCalls, 3u);
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
  EXPECT_EQ(Flush({thing, other}).drawCalls, 1u);
}

// Blending: a draw whose every pixel comes out with alpha exactly 1 goes without it.
class SpriteBlendTest : public SpriteFrameTest {
 protected:
  // A 16 x 16 picture whose columns 4 to 11 are opaque and the rest of alpha `outside`.
  std::unique_ptr<Texture> MakeBand(uint8_t outside) {
    auto texture = std::make_unique<Texture>();
    std::vector<uint8_t> rgba(16 * 16 * 4, 9);
    for (int i = 0; i < 16 * 16; ++i) rgba[static_cast<size_t>(i) * 4 + 3] = (i % 16 >= 4 && i % 16 <= 11) ? 255 : outside;
    texture->view = Gpu().CreateTexture(16, 16, rgba.data(), false, true);
    texture->width = texture->height = 16;
    texture->opaque.Build(16, 16, rgba.data());
    return texture;
  }

  // A square of `size` world units at the origin, turned by `turn` radians, showing columns
  // u0..u1 (texture coordinates) of `texture`, sent as a frame of its own.
  void DrawSquare(const Texture* texture, float size, float u0, float u1, float turn = 0.0f) {
    const float c = std::cos(turn) * size / 2, s = std::sin(turn) * size / 2;
    // Bottom-left, top-left, top-right, bottom-right: clockwise on the screen.
    const float x[4] = {-c + s, -c - s, c - s, c + s}, y[4] = {-s - c, -s + c, s + c, s - c};
    const float u[4] = {u0, u0, u1, u1}, v[4] = {1, 0, 0, 1};
    TextureVertex corners[4];
    for (int k = 0; k < 4; ++k) corners[k] = {{x[k], y[k], 0.0f}, {u[k], v[k]}, 1u, {0, 0, 0, 0}};
    DrawTexturedQuad(corners, texture, nullptr);
  }

  // Blending-free draws of a frame that `draw` fills.
  template <class Draw>
  uint64_t Unblended(Draw draw) {
    BeginFrame();
    Gpu().Clear(0, 0, 0, 1, 1);
    draw();
    FinishSpriteFrame();
    EXPECT_TRUE(Gpu().BlendingOn());  // back on for whatever draws next
    return Stats().drawsWithoutBlending;
  }
};

TEST_F(SpriteBlendTest, OpaquePicturesGoWithoutBlendingButNotWhatCanLetTheBackgroundThrough) {
  GameObject* backdrop = Sprite(0, 0, 0.0f, 400, opaque_.get());
  GameObject* glass = Sprite(0, 0, 0.0f, 400, seeThrough_.get());
  EXPECT_EQ(Unblended([&] { Draw(backdrop); }), 1u);
  EXPECT_EQ(GetSpriteFrameStats().drawsWithoutBlending, 1u);
  EXPECT_EQ(Unblended([&] { Draw(glass); }), 0u);
  // Turned, or shrunk to a few pixels: still every pixel drawn is opaque (no partly covered
  // edge pixels without multisampling; every mipmap level of an opaque picture is opaque).
  EXPECT_EQ(Unblended([&] { DrawSquare(opaque_.get(), 200.0f, 0.0f, 1.0f, 0.5f); }), 1u);
  std::unique_ptr<Texture> solid = MakeBand(255);
  EXPECT_EQ(Unblended([&] { DrawSquare(solid.get(), 8.0f, 0.0f, 1.0f); }), 1u);
  Gpu().DestroyTexture(solid->view);
  // A filter that fades the backdrop lets what is behind show through.
  backdrop->AddComponent(new Filter(FilterType::Color, 0, Vector4(-1.0f, 0.0f, 0.0f, 0.5f)));
  EXPECT_EQ(Unblended([&] { Draw(backdrop); }), 0u);
}

TEST_F(SpriteBlendTest, APartlyTransparentPictureGoesWithoutBlendingWhereItCanOnlySampleOpaqueTexels) {
  std::unique_ptr<Texture> band = MakeBand(128);
  // Columns 6 to 8 (and the neighbours linear filtering may read) are opaque.
  EXPECT_EQ(Unblended([&] { DrawSquare(band.get(), 100.0f, 6.0f / 16, 9.0f / 16); }), 1u);
  // Filtering at the left edge reads column 3.
  EXPECT_EQ(Unblended([&] { DrawSquare(band.get(), 100.0f, 5.0f / 16, 9.0f / 16); }), 0u);
  // Shrunk, smaller mipmap levels mix in the transparent columns.
  EXPECT_EQ(Unblended([&] { DrawSquare(band.get(), 2.0f, 6.0f / 16, 9.0f / 16); }), 0u);
  EXPECT_EQ(Stats().drawCalls, 1u);
  // A see-through quad that a later opaque quad of the same draw covers is left out, and the
  // draw that remains is opaque.
  EXPECT_EQ(Unblended([&] {
              DrawSquare(band.get(), 50.0f, 0.0f, 1.0f);
              DrawSquare(band.get(), 100.0f, 6.0f / 16, 9.0f / 16);
            }),
            1u);
  EXPECT_EQ(Stats().drawCalls, 1u);
  EXPECT_EQ(GetSpriteFrameStats().hiddenQuads, 1u);
  Gpu().DestroyTexture(band->view);
}

TEST_F(SpriteBlendTest, AWholeWindowBackdropReadingWhatItReadLastTimeIsPutBackFromTheDevicesCopy) {
  GameObject* backdrop = Sprite(0, 0, 0.0f, 4000, opaque_.get());
  GameObject* label = Sprite(0, 0, -11.0f, 10, seeThrough_.get());
  auto restores = [&] {
    Unblended([&] { Draw(backdrop); Draw(label); });
    return Stats().backBufferRestores;
  };
  EXPECT_EQ(restores(), 0u);
  EXPECT_EQ(restores(), 0u);  // drawn alike twice in a row: copied
  EXPECT_EQ(Stats().backBufferKeeps, 1u);
  EXPECT_EQ(restores(), 1u);
  EXPECT_EQ(Stats().drawCalls, 1u);  // the label alone
  // A tint, another picture or another viewport: drawn again.
  backdrop->AddComponent(new Filter(FilterType::Color, 0, Vector4(0.5f, 0.5f, 0.5f, 1.0f)));
  EXPECT_EQ(restores() + restores() + restores(), 1u);
  std::unique_ptr<Texture> other = MakeTexture(255);
  backdrop->FindComponent<Model>()->GetMesh()->texture = other.get();
  EXPECT_EQ(restores() + restores(), 0u);
  Gpu().SetViewport(0, 0, 640, 360);
  EXPECT_EQ(restores(), 0u);
  EXPECT_EQ(Stats().backBufferKeeps, 1u);  // copied again at the new size
  Gpu().DestroyTexture(other->view);
}

TEST_F(SpriteBlendTest, ColouredQuadsGoWithoutBlendingWhenEveryCornerIsOpaque) {
  auto quad = [](float cornerAlpha) {
    ColorVertex corners[4] = {{{-10, -10, 0}, {1, 0, 0, 1}},
                              {{-10, 10, 0}, {1, 0, 0, 1}},
                              {{10, 10, 0}, {1, 0, 0, 1}},
                              {{10, -10, 0}, {1, 0, 0, cornerAlpha}}};
    DrawColoredQuad(corners);
  };
  EXPECT_EQ(Unblended([&] { quad(1.0f); }), 1u);
  EXPECT_EQ(Unblended([&] { quad(0.999f); }), 0u);
}

}  // namespace

TEST_F(SpriteBlendTest, QuadsWithTexelCentresOnPixelCentresSampleTheNearestTexel) {
  std::unique_ptr<Texture> band = MakeBand(128);
  const float unit = 828.427f / 720.0f;  // world units per pixel at z = 0; world (0, 0) is a pixel corner
  auto nearestDraws = [&](float pixels, float u0, float u1, float turn) {
    Unblended([&] { DrawSquare(band.get(), pixels * unit, u0, u1, turn); });
    return Stats().drawsNearest;
  };
  // 16 texels over 16 pixels: upright, mirrored, a quarter turn, a hair off the centres.
  EXPECT_EQ(nearestDraws(16, 0, 1, 0), 1u);
  EXPECT_EQ(nearestDraws(16, 1, 0, 0), 1u);
  EXPECT_EQ(nearestDraws(16, 0, 1, 1.5707964f), 1u);
  EXPECT_EQ(nearestDraws(16, 1.0f / 4096 / 16, 1 + 1.0f / 4096 / 16, 0), 1u);
  // Half a texel off, 1/256 of a texel off (linear filtering weighs the neighbours in), twice
  // the size, a little turned.
  EXPECT_EQ(nearestDraws(16, 0.5f / 16, 1 + 0.5f / 16, 0), 0u);
  EXPECT_EQ(nearestDraws(16, 1.0f / 256 / 16, 1 + 1.0f / 256 / 16, 0), 0u);
  EXPECT_EQ(nearestDraws(32, 0, 1, 0), 0u);
  EXPECT_EQ(nearestDraws(16, 0, 1, 0.1f), 0u);
  // One draw of a quad on the texel centres and one off them keeps linear filtering.
  Unblended([&] { DrawSquare(band.get(), 16 * unit, 0, 1); DrawSquare(band.get(), 32 * unit, 0, 1); });
  EXPECT_EQ(Stats().drawCalls, 1u);
  EXPECT_EQ(Stats().drawsNearest, 0u);
  Gpu().DestroyTexture(band->view);
}
