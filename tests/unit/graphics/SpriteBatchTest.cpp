#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "HeadlessGraphics.h"
#include "graphics/ColorShader.h"
#include "graphics/Filter.h"
#include "graphics/Model.h"
#include "graphics/SpriteBatch.h"
#include "graphics/Texture.h"
#include "objects/GameObject.h"

using graphics_test::HeadlessGraphics;

namespace {

// ---- folding filters ---------------------------------------------------------

struct Colour {
  float r, g, b, a;
};

// The filters applied one by one, as the pixel stage did before they were folded.
Colour ApplyOneByOne(const GameObject& owner, Colour c) {
  int entries = 0;
  for (const auto& component : owner.components) {
    const auto* f = dynamic_cast<const Filter*>(component.get());
    if (f == nullptr || entries++ >= 16) continue;
    if (f->filterType == FilterType::Saturation) {
      const float s = std::clamp(f->saturation, 0.0f, 1.0f);
      const float grey = c.r * 0.299f + c.g * 0.587f + c.b * 0.114f;
      c = {grey + (c.r - grey) * s, grey + (c.g - grey) * s, grey + (c.b - grey) * s, c.a};
    } else if (f->filterType == FilterType::Color) {
      if (std::fabs(f->color[0] + 1.0f) > 0.0001f) {
        float t[3];
        for (int i = 0; i < 3; ++i) t[i] = std::clamp(f->color[i], 0.0f, 1.0f);
        const float k = std::max(t[0], std::max(t[1], t[2]));
        c = {c.r + (c.r * t[0] - c.r) * k, c.g + (c.g * t[1] - c.g) * k, c.b + (c.b * t[2] - c.b) * k, c.a};
      }
      c.a *= f->color[3];
    }
  }
  return c;
}

Colour ApplyFolded(const float rows[12], Colour c) {
  return {rows[0] * c.r + rows[1] * c.g + rows[2] * c.b, rows[4] * c.r + rows[5] * c.g + rows[6] * c.b,
          rows[8] * c.r + rows[9] * c.g + rows[10] * c.b, c.a * rows[3]};
}

TEST(ComposeFiltersTest, FoldedFiltersGiveTheColourOfFiltersAppliedInOrder) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int trial = 0; trial < 200; ++trial) {
    GameObject owner("Thing_", 0, 0, 0, 1, 1, ObjectType::Food);
    const int count = 1 + trial % 5;
    for (int i = 0; i < count; ++i) {
      const int kind = static_cast<int>(random() % 4);
      if (kind == 0) owner.AddComponent(new Filter(FilterType::Saturation, unit(random) * 1.4f - 0.2f, Vector4()));
      if (kind == 1) owner.AddComponent(new Filter(FilterType::Color, 0, Vector4(unit(random), unit(random), unit(random), unit(random))));
      if (kind == 2) owner.AddComponent(new Filter(FilterType::Color, 0, Vector4(-1.0f, 0.3f, 0.2f, unit(random))));
      if (kind == 3) owner.AddComponent(new Filter(FilterType::None, 0, Vector4(1, 0, 0, 0)));
    }
    float rows[12];
    ComposeFilters(&owner, rows);
    const Colour c{unit(random), unit(random), unit(random), unit(random)};
    const Colour want = ApplyOneByOne(owner, c);
    const Colour got = ApplyFolded(rows, c);
    EXPECT_NEAR(got.r, want.r, 1e-5f) << trial;
    EXPECT_NEAR(got.g, want.g, 1e-5f) << trial;
    EXPECT_NEAR(got.b, want.b, 1e-5f) << trial;
    EXPECT_NEAR(got.a, want.a, 1e-6f) << trial;
  }
}

TEST(ComposeFiltersTest, NoFiltersIsTheIdentityAndOnlyTheFirstSixteenCount) {
  float rows[12];
  EXPECT_FALSE(ComposeFilters(nullptr, rows));
  const float identity[12] = {1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 1, 0};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(rows[i], identity[i]);

  GameObject owner("Thing_", 0, 0, 0, 1, 1, ObjectType::Food);
  for (int i = 0; i < 16; ++i) owner.AddComponent(new Filter(FilterType::Color, 0, Vector4(-1, 0, 0, 1)));
  owner.AddComponent(new Filter(FilterType::Color, 0, Vector4(-1, 0, 0, 0.0f)));  // the 17th: ignored
  EXPECT_TRUE(ComposeFilters(&owner, rows));
  EXPECT_EQ(rows[3], 1.0f);
}

// ---- batching ----------------------------------------------------------------

class SpriteBatchTest : public HeadlessGraphics {
 protected:
  GameObject* Sprite(const std::string& texture, ObjectType type = ObjectType::Food) {
    objects_.push_back(std::make_unique<GameObject>("Thing_", 0, 0, 0, 4, 4, type));
    objects_.back()->AddComponent(new Model(texture));
    return objects_.back().get();
  }
  static void Draw(GameObject* o) { o->FindComponent<Model>()->Draw(); }

  std::vector<std::unique_ptr<GameObject>> objects_;
};

TEST_F(SpriteBatchTest, ARunOfOneTextureIsOneDrawAndEachBreakStartsAnother) {
  GameObject* a = Sprite("a.png");
  GameObject* b = Sprite("b.png");
  GameObject* flat = Sprite("");
  // Two textures on the null device.
  Texture textureA;
  Texture textureB;
  textureA.view = WhitePixel();
  textureB.view = WhitePixel();
  Draw(a);
  Draw(b);
  a->FindComponent<Model>()->GetMesh()->texture = &textureA;
  b->FindComponent<Model>()->GetMesh()->texture = &textureB;
  StartCounting();

  for (int i = 0; i < 5; ++i) Draw(a);
  EXPECT_EQ(Stats().drawCalls, 0u);  // queued, not sent
  Draw(b);                           // another texture
  Draw(flat);                        // another program
  Draw(flat);
  Draw(a);
  EXPECT_EQ(Flushed().drawCalls, 4u);
  EXPECT_EQ(Stats().indicesDrawn, 9u * 6u);
}

TEST_F(SpriteBatchTest, SixteenDifferentFilterSetsNeedASecondDraw) {
  // Set 0 is the unfiltered one, so fifteen distinct sets fit in a draw.
  for (int i = 0; i < 16; ++i) {
    GameObject* o = Sprite("a.png");
    o->AddComponent(new Filter(FilterType::Saturation, static_cast<float>(i) / 16.0f, Vector4()));
    Draw(o);
  }
  EXPECT_EQ(Flushed().drawCalls, 2u);
  // Objects with the same filters share a set.
  for (int i = 0; i < 30; ++i) {
    GameObject* o = Sprite("a.png");
    o->AddComponent(new Filter(FilterType::Saturation, 0.5f, Vector4()));
    Draw(o);
  }
  EXPECT_EQ(Flushed().drawCalls, 3u);
}

TEST_F(SpriteBatchTest, AVeryLongRunOfFlatQuadsIsSplitToFitItsStream) {
  GameObject* flat = Sprite("");
  for (int i = 0; i < 16385; ++i) Draw(flat);
  EXPECT_EQ(Flushed().drawCalls, 2u);
  EXPECT_EQ(Stats().indicesDrawn, 16385u * 6u);
}

// A draw straight through either program (a particle emitter's own buffers, as older code drew
// them) and the present tell the batch through the device's listener, so the queued sprites go
// first; a batch that has shut down no longer listens.
TEST_F(SpriteBatchTest, DirectDrawsOfEitherProgramAndThePresentSendTheQueuedSpritesFirst) {
  GameObject* a = Sprite("a.png");
  const uint32_t indices[6] = {0, 1, 2, 3, 4, 5};
  platform::GpuBuffer indexBuffer = Gpu().CreateIndexBuffer(indices, 6);
  platform::GpuBuffer textured = Gpu().CreateVertexBuffer(platform::VertexLayout::Texture, nullptr, 6 * 24);
  platform::GpuBuffer coloured = Gpu().CreateVertexBuffer(platform::VertexLayout::Color, nullptr, 6 * 28);
  Draw(a);
  GetTextureShader()->Render(textured, indexBuffer, 6, nullptr, nullptr);
  EXPECT_EQ(Stats().drawCalls, 2u) << "the sprite, then the direct draw";
  Draw(a);
  GetColorShader()->Render(coloured, indexBuffer, 6);
  EXPECT_EQ(Stats().drawCalls, 4u) << "the sprite, then the direct draw";
  Draw(a);
  GetGraphicsDevice()->EndScene();
  EXPECT_EQ(Stats().drawCalls, 5u) << "the sprite goes out before the picture is presented";
  for (platform::GpuBuffer buffer : {textured, coloured, indexBuffer}) Gpu().DestroyBuffer(buffer);

  ASSERT_NE(GetStateChangeListener(), nullptr);
  ShutdownSpriteBatch();
  EXPECT_EQ(GetStateChangeListener(), nullptr);
  ASSERT_TRUE(InitializeSpriteBatch());
  EXPECT_NE(GetStateChangeListener(), nullptr);
}

}  // namespace

TEST_F(SpriteBatchTest, QuadsThatWouldShadeNoPixelAreLeftOutWithoutBreakingTheRun) {
  GameObject* a = Sprite("a.png");
  GameObject* faded = Sprite("a.png");
  // A colour filter's alpha below the pixel stage's cut-off: every pixel would be dropped.
  faded->AddComponent(new Filter(FilterType::Color, 0, Vector4(-1.0f, 0.0f, 0.0f, 0.005f)));
  GameObject* overlay = Sprite("", ObjectType::Transition);
  overlay->FindComponent<Model>()->SetColor(0.0f, 0.0f, 0.0f, 0.0f);
  GameObject* faint = Sprite("");
  faint->FindComponent<Model>()->SetColor(0.0f, 0.0f, 0.0f, 0.02f);
  Draw(a);
  Draw(faded);
  Draw(overlay);
  Draw(a);
  EXPECT_EQ(Flushed().drawCalls, 1u);
  EXPECT_EQ(Stats().indicesDrawn, 2u * 6u);
  // Just above the cut-off still draws.
  faded->FindComponent<Filter>()->color[3] = 0.02f;
  Draw(faded);
  Draw(faint);
  EXPECT_EQ(Flushed().drawCalls, 1u + 2u);
}
