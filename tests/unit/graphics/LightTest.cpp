#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "HeadlessGraphics.h"
#include "graphics/Camera.h"
#include "graphics/Filter.h"
#include "graphics/Light.h"
#include "graphics/Model.h"
#include "graphics/TextureShader.h"
#include "objects/GameObject.h"
#include "objects/Transform.h"

using graphics_test::HeadlessGraphics;

namespace {

float FloatAt(const uint8_t* block, size_t offset) {
  float f;
  std::memcpy(&f, block + offset, sizeof(f));
  return f;
}
uint32_t UintAt(const uint8_t* block, size_t offset) {
  uint32_t u;
  std::memcpy(&u, block + offset, sizeof(u));
  return u;
}

std::unique_ptr<GameObject> LitObject(float x, float y, float z, Light* light) {
  auto object = std::make_unique<GameObject>("Light_", x, y, z, 1.0f, 1.0f, ObjectType::Light);
  object->AddComponent(light);
  return object;
}

}  // namespace

TEST(LightListTest, CreationOrderAndRemovalClosesTheGap) {
  ASSERT_TRUE(LightList().empty());
  auto a = LitObject(0, 0, 0, new Light(1.0f, 10.0f, 20.0f, Vector3(1, 0, 0)));
  auto b = LitObject(0, 0, 0, new Light(2.0f, 10.0f, 20.0f, Vector3(0, 1, 0)));
  auto c = LitObject(0, 0, 0, new Light(3.0f, 10.0f, 20.0f, Vector3(0, 0, 1)));
  ASSERT_EQ(LightList().size(), 3u);
  EXPECT_FLOAT_EQ(LightList()[0]->intensity, 1.0f);
  EXPECT_FLOAT_EQ(LightList()[2]->intensity, 3.0f);
  a.reset();
  ASSERT_EQ(LightList().size(), 2u);
  EXPECT_FLOAT_EQ(LightList()[0]->intensity, 2.0f);
  EXPECT_FLOAT_EQ(LightList()[1]->intensity, 3.0f);
  b.reset();
  c.reset();
  EXPECT_TRUE(LightList().empty());
}

TEST(LightBlockTest, HeaderAndEntriesAreLaidOutByteForByte) {
  MainCamera().position[0] = 7.0f;
  auto first = LitObject(30.0f, 40.0f, 0.0f, new Light(0.75f, 100.0f, 250.0f, Vector3(0.5f, 0.25f, 1.0f)));
  auto second = LitObject(-5.0f, 6.0f, 2.0f, new Light(2.0f, 1.0f, 3.0f, Vector3(1, 1, 1)));
  static uint8_t block[platform::kLightBlockBytes];
  size_t used = TextureShader::FillLightBlock(block);
  EXPECT_EQ(used, 32u + 2u * 64u);
  EXPECT_EQ(UintAt(block, 12), 2u);  // light count
  const std::pair<size_t, float> fields[] = {
      {0, 7.0f}, {8, -1000.0f},  // camera x and z
      {16, 1.0f}, {20, 1.0f}, {24, 1.0f}, {28, 0.5f},  // the ambient: white at half intensity
      // Entry 0 at byte 32: position (x, y, z - 10, 0), colour, intensity, fall-off start / end.
      {32 + 0, 30.0f}, {32 + 4, 40.0f}, {32 + 8, -10.0f}, {32 + 12, 0.0f}, {32 + 16, 0.5f}, {32 + 20, 0.25f},
      {32 + 24, 1.0f}, {32 + 28, 0.75f}, {32 + 32, 100.0f}, {32 + 48, 250.0f},
      {96 + 8, -8.0f}, {96 + 28, 2.0f},  // entry 1 at byte 96
  };
  for (const auto& [offset, value] : fields) EXPECT_FLOAT_EQ(FloatAt(block, offset), value) << "byte " << offset;
  // Destroying the first shifts the second into entry 0.
  first.reset();
  EXPECT_EQ(TextureShader::FillLightBlock(block), 96u);
  EXPECT_EQ(UintAt(block, 12), 1u);
  EXPECT_FLOAT_EQ(FloatAt(block, 32 + 0), -5.0f);
  MainCamera().position[0] = 0.0f;
}

TEST(LightBlockTest, MoreThan128LightsSendTheFirst128) {
  std::vector<std::unique_ptr<GameObject>> lights;
  for (int i = 0; i < 130; ++i) {
    lights.push_back(LitObject(static_cast<float>(i), 0, 0, new Light(1, 1, 2, Vector3(1, 1, 1))));
  }
  static uint8_t block[platform::kLightBlockBytes];
  EXPECT_EQ(TextureShader::FillLightBlock(block), platform::kLightBlockBytes);
  EXPECT_EQ(UintAt(block, 12), 128u);
  EXPECT_FLOAT_EQ(FloatAt(block, 32 + 127 * 64), 127.0f);
}

TEST(FilterBlockTest, FiltersInComponentOrderThenEmptyEntries) {
  GameObject object("Vent_", 0, 0, 0, 1, 1, ObjectType::Vent);
  uint8_t block[platform::kFilterBlockBytes];
  TextureShader::FillFilterBlock(&object, block);
  for (int i = 0; i < kMaxFilters; ++i) EXPECT_EQ(UintAt(block, i * 48), 0u);

  object.AddComponent(new Filter(FilterType::Color, 0.0f, Vector4(-1, 0.5f, 0.25f, 0.5f)));
  object.AddComponent(new Filter(FilterType::Saturation, 0.3f, Vector4(0, 0, 0, 0)));  // appended
  TextureShader::FillFilterBlock(&object, block);
  EXPECT_EQ(UintAt(block, 0), 2u);
  EXPECT_FLOAT_EQ(FloatAt(block, 16), -1.0f);
  EXPECT_FLOAT_EQ(FloatAt(block, 28), 0.5f);
  EXPECT_EQ(UintAt(block, 48), 1u);
  EXPECT_FLOAT_EQ(FloatAt(block, 48 + 32), 0.3f);
  EXPECT_EQ(UintAt(block, 96), 0u);

  for (int i = 0; i < 20; ++i) object.AddComponent(new Filter(FilterType::Saturation, 1.0f, Vector4()));
  TextureShader::FillFilterBlock(&object, block);  // only 16 fit; nothing is written past the block
  EXPECT_EQ(UintAt(block, 15 * 48), 1u);
}

class LightUploadTest : public HeadlessGraphics {};

TEST_F(LightUploadTest, UnchangedBlocksAreSentOncePerFrameNotPerSprite) {
  std::vector<std::unique_ptr<GameObject>> sprites;
  for (int i = 0; i < 50; ++i) {
    sprites.push_back(std::make_unique<GameObject>("Food_", static_cast<float>(i), 0, 0, 5, 5, ObjectType::Food));
    sprites.back()->AddComponent(new Model("food.png"));
  }
  auto lamp = LitObject(0, 0, 0, new Light(1, 10, 20, Vector3(1, 1, 1)));
  for (auto& s : sprites) s->FindComponent<Model>()->Draw();
  // 50 sprites of one texture under the same lights: one draw, each block sent once.
  EXPECT_EQ(Flushed().drawCalls, 1u);
  EXPECT_EQ(Stats().uniformUploads, 3u);

  // A light that moves between two sprites ends the draw: the second sees the new light block.
  sprites[0]->FindComponent<Model>()->Draw();
  lamp->GetTransform()->position[0] = 99.0f;
  sprites[1]->FindComponent<Model>()->Draw();
  EXPECT_EQ(Flushed().drawCalls, 3u);
  EXPECT_EQ(Stats().uniformUploads, 4u);
  // A drawn object with filters joins the draw; its filter set changes the filter block.
  sprites[2]->AddComponent(new Filter(FilterType::Saturation, 0.0f, Vector4()));
  sprites[2]->FindComponent<Model>()->Draw();
  sprites[3]->FindComponent<Model>()->Draw();
  EXPECT_EQ(Flushed().drawCalls, 4u);
  EXPECT_EQ(Stats().uniformUploads, 5u);
}
