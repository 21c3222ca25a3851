#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "GraphicsTestHelpers.h"
#include "HeadlessGraphics.h"
#include "graphics/Model.h"
#include "graphics/Texture.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
#include "objects/Transform.h"

using graphics_test::HeadlessGraphics;
using graphics_test::LogCapture;

namespace {

// Something in the animation slot that reports a fixed frame (corners bottom-right, top-right,
// top-left, bottom-left).
class FixedFrames final : public Component, public SpriteFrameSource {
 public:
  FixedFrames() : Component(ComponentType::Animation) {}
  void Update(float) override {}
  void Draw() override {}
  bool CurrentFrameUV(float u[4], float v[4]) const override {
    const float us[4] = {0.25f, 0.25f, 0.125f, 0.125f};
    const float vs[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    for (int i = 0; i < 4; ++i) u[i] = us[i], v[i] = vs[i];
    return hasClip;
  }
  bool hasClip = true;
};

class ModelTest : public HeadlessGraphics {
 protected:
  // An object owned by the test (not in the object list).
  GameObject* Make(float x, float y, float z, float sx, float sy, ObjectType type = ObjectType::Wall) {
    objects_.push_back(std::make_unique<GameObject>("Thing_", x, y, z, sx, sy, type));
    return objects_.back().get();
  }
  Model* AddModel(GameObject* object, const std::string& texture = "", bool outline = false) {
    auto* model = new Model(texture, outline);
    object->AddComponent(model);
    return model;
  }
  void TearDown() override {
    objects_.clear();
    HeadlessGraphics::TearDown();
  }
  std::vector<std::unique_ptr<GameObject>> objects_;
};

void ExpectCorner(const float* position, float x, float y, float z) {
  EXPECT_NEAR(position[0], x, 1e-4f);
  EXPECT_NEAR(position[1], y, 1e-4f);
  EXPECT_FLOAT_EQ(position[2], z);
}

// Texture coordinates (u, v) of the quad's bottom-left, top-left, top-right and bottom-right
// vertices (0, 1, 2 and 4).
void ExpectTexcoords(const std::array<TextureVertex, 6>& v, const float (&uv)[4][2]) {
  const int vertex[4] = {0, 1, 2, 4};
  for (int k = 0; k < 4; ++k) {
    EXPECT_FLOAT_EQ(v[vertex[k]].texcoord[0], uv[k][0]) << "u of vertex " << vertex[k];
    EXPECT_FLOAT_EQ(v[vertex[k]].texcoord[1], uv[k][1]) << "v of vertex " << vertex[k];
  }
}

}  // namespace

TEST_F(ModelTest, UntexturedQuadIsTwoClockwiseTrianglesInTheDefaultMagentaOrTheColourSet) {
  GameObject* o = Make(10.0f, 20.0f, 3.0f, 4.0f, 6.0f);
  Model* model = AddModel(o);
  model->Draw();
  const auto& v = model->GetMesh()->colorVertices;
  // Bottom-left, top-left, top-right; top-right, bottom-right, bottom-left.
  const float corners[6][2] = {{8, 17}, {8, 23}, {12, 23}, {12, 23}, {12, 17}, {8, 17}};
  for (int k = 0; k < 6; ++k) ExpectCorner(v[k].position, corners[k][0], corners[k][1], 3);
  for (const ColorVertex& vertex : v) {
    EXPECT_FLOAT_EQ(vertex.color[0], 1.0f);
    EXPECT_FLOAT_EQ(vertex.color[1], 0.0117647f);
    EXPECT_FLOAT_EQ(vertex.color[2], 0.8352941f);
    EXPECT_FLOAT_EQ(vertex.color[3], 0.5f);
  }
  EXPECT_TRUE(model->initialized);
  EXPECT_EQ(Flushed().drawCalls, 1u);
  EXPECT_EQ(Stats().indicesDrawn, 6u);
  // Every frame sends the vertices again, even when nothing moved.
  uint64_t uploads = Stats().bufferUploads;
  model->Draw();
  EXPECT_EQ(Flushed().bufferUploads, uploads + 1);
  EXPECT_EQ(Stats().drawCalls, 2u);
  // A colour set in between reaches the vertices of the next draw.
  model->SetColor(0.0f, 1.0f, 0.0f, 1.0f);
  model->Draw();
  EXPECT_FLOAT_EQ(model->GetMesh()->colorVertices[0].color[1], 1.0f);
  EXPECT_FLOAT_EQ(model->GetMesh()->colorVertices[0].color[3], 1.0f);
}

TEST_F(ModelTest, HiddenOwnerNeitherDrawsNorInitialises) {
  GameObject* o = Make(0, 0, 0, 10, 10);
  o->visible = false;
  Model* model = AddModel(o);
  model->Draw();
  EXPECT_FALSE(model->initialized);
  EXPECT_FALSE(model->GetMesh()->buffersCreated);
  EXPECT_EQ(Flushed().drawCalls, 0u);
}

TEST_F(ModelTest, WholeTextureAndTileCoordinatesAndTheOwnersKind) {
  GameObject* o = Make(0, 0, 0, 2, 2, ObjectType::Text);
  Model* model = AddModel(o, "sheet.png");
  model->Draw();
  ExpectTexcoords(model->GetMesh()->textureVertices, {{0, 1}, {0, 0}, {1, 0}, {1, 1}});
  for (const TextureVertex& vertex : model->GetMesh()->textureVertices) EXPECT_EQ(vertex.kind, 10u);

  // Tile 17 of a 16 x 6 sheet: column 1, row 1.
  model->tile = 17;
  model->Draw();
  ExpectTexcoords(model->GetMesh()->textureVertices,
                  {{0.0625f, 0.33333334f}, {0.0625f, 0.16666667f}, {0.125f, 0.16666667f}, {0.125f, 0.33333334f}});
}

TEST_F(ModelTest, AnimationFrameCornersMapToTheRightVertices) {
  GameObject* o = Make(0, 0, 0, 2, 2, ObjectType::Player);
  auto* frames = new FixedFrames();
  o->AddComponent(frames);
  Model* model = AddModel(o, "player.png");
  model->tile = 5;  // the animation wins over the tile
  model->Draw();
  // Frame corner 0 -> bottom-right, 1 -> top-right, 2 -> top-left, 3 -> bottom-left.
  ExpectTexcoords(model->GetMesh()->textureVertices, {{0.125f, 1.0f}, {0.125f, 0.0f}, {0.25f, 0.0f}, {0.25f, 1.0f}});
  // Without a current clip the model falls back to its tile.
  frames->hasClip = false;
  model->Draw();
  EXPECT_FLOAT_EQ(model->GetMesh()->textureVertices[1].texcoord[0], 5 * 0.0625f);
}

TEST_F(ModelTest, RotationTurnsAnOffsetQuadAboutTheOwnersPosition) {
  GameObject* o = Make(100.0f, 0.0f, 0.0f, 10.0f, 20.0f);
  o->GetTransform()->rotation = 90.0f;
  Model* model = AddModel(o);
  model->offsetX = 50.0f;
  model->Draw();
  const auto& v = model->GetMesh()->colorVertices;
  // Unturned the quad spans x 145..155, y -10..10 around (150, 0); a quarter turn about (100, 0)
  // carries its centre to (100, 50) and swaps its extents: x 90..110, y 45..55.
  float cx = 0, cy = 0;
  for (int i : {0, 1, 2, 4}) cx += v[i].position[0] / 4, cy += v[i].position[1] / 4;
  EXPECT_NEAR(cx, 100.0f, 1e-3f);
  EXPECT_NEAR(cy, 50.0f, 1e-3f);
  ExpectCorner(v[0].position, 110, 45, 0);  // bottom-left (145, -10) turned
  ExpectCorner(v[2].position, 90, 55, 0);   // top-right (155, 10) turned
}

TEST_F(ModelTest, CircleOutlineIsTwiceTheRadiusAndHiddenUntilSwitchedOn) {
  GameObject* o = Make(0, 0, 0, 100, 40);
  o->AddComponent(new CircleCollision(10.0f));
  Model* outline = AddModel(o, "", true);
  EXPECT_TRUE(outline->IsCollisionOutline());  // ObjectManagerTest checks where it lands
  outline->SetTextureName("ignored.png");
  EXPECT_EQ(outline->GetTextureName(), "");

  ASSERT_TRUE(GetModelSettings().hideCollisionOutlines);
  outline->Draw();
  EXPECT_EQ(Flushed().drawCalls, 0u);
  EXPECT_FALSE(outline->initialized);

  GetModelSettings().hideCollisionOutlines = false;
  outline->Draw();
  GetModelSettings().hideCollisionOutlines = true;
  EXPECT_EQ(Flushed().drawCalls, 1u);
  const auto& v = outline->GetMesh()->colorVertices;
  ExpectCorner(v[0].position, -10, -10, 0);
  ExpectCorner(v[2].position, 10, 10, 0);
}

TEST_F(ModelTest, MissingTextureWarnsOnceAndStillDrawsThroughTheTextureProgram) {
  LogCapture log;
  Model* model = AddModel(Make(0, 0, 0, 2, 2), "no-such-texture.png");
  model->Draw();
  model->Draw();
  EXPECT_EQ(model->GetMesh()->texture, nullptr);
  EXPECT_EQ(model->GetMesh()->layout, platform::VertexLayout::Texture);
  EXPECT_EQ(Flushed().drawCalls, 1u);  // both quads share the (missing) texture: one draw
  EXPECT_EQ(Stats().indicesDrawn, 12u);
  EXPECT_EQ(log.Count("-WARNING- Could not find texture"), 1);
}

TEST_F(ModelTest, NoTransformDrawsTheLastVerticesAgain) {
  GameObject* o = Make(5, 5, 0, 2, 2);
  Model* model = AddModel(o);
  model->Draw();
  o->RemoveComponent(SlotOf(ComponentType::Transform));
  model->Draw();
  EXPECT_EQ(Flushed().drawCalls, 1u);
  EXPECT_EQ(Stats().indicesDrawn, 12u);
  ExpectCorner(model->GetMesh()->colorVertices[0].position, 4, 4, 0);
}

TEST_F(ModelTest, ChangingTheTextureNameAfterTheFirstDrawSwitchesTheVertexFormat) {
  Model* model = AddModel(Make(0, 0, 0, 2, 2));
  model->Draw();
  ASSERT_EQ(model->GetMesh()->layout, platform::VertexLayout::Color);
  model->SetTextureName("later.png");
  model->Draw();
  EXPECT_EQ(model->GetMesh()->layout, platform::VertexLayout::Texture);
  EXPECT_EQ(model->GetMesh()->texture, nullptr);  // the texture is not looked up again
  EXPECT_EQ(Flushed().drawCalls, 2u);  // two programs: two draws
}
