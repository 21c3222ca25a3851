#include "RenderFixture.h"

#include "graphics/Filter.h"
#include "objects/Transform.h"
#include "support/PngWriter.h"

using namespace render_test;

namespace {

class SpriteRenderTest : public RenderTest {
 protected:
  // A 4 x 4 TGA of one colour, loaded and listed as `name`.
  void SolidTexture(const std::string& name, Rgba colour) {
    WriteBytes(dir_.File(name), MakeTga(4, 4, [&](int, int) { return colour; }));
    ASSERT_NE(TextureManager::Load(dir_.File(name)), nullptr);
  }
};

}  // namespace

TEST_F(SpriteRenderTest, TgaQuadrantsShowWhereTheyAreInThePicture) {
  // Top-left red, top-right green, bottom-left blue, bottom-right white (as seen in an image viewer).
  WriteBytes(dir_.File("quad.tga"), MakeTga(64, 64, [](int x, int y) {
               if (y < 32) return x < 32 ? Rgba{255, 0, 0, 255} : Rgba{0, 255, 0, 255};
               return x < 32 ? Rgba{0, 0, 255, 255} : Rgba{255, 255, 255, 255};
             }));
  ASSERT_NE(TextureManager::Load(dir_.File("quad.tga")), nullptr);
  TexturedObject(0, 0, 0, 400, 400, "quad.tga");
  RenderObjects();
  EXPECT_RGB_NEAR(AtWorld(-100, 100), 255, 0, 0, 1);
  EXPECT_RGB_NEAR(AtWorld(100, 100), 0, 255, 0, 1);
  EXPECT_RGB_NEAR(AtWorld(-100, -100), 0, 0, 255, 1);
  EXPECT_RGB_NEAR(AtWorld(100, -100), 255, 255, 255, 1);
}

TEST_F(SpriteRenderTest, BrokenTgaFilesFailToLoad) {
  std::vector<uint8_t> rgb(18, 0);
  rgb[12] = 2, rgb[14] = 2, rgb[16] = 24;
  rgb.resize(18 + 12, 9);
  WriteBytes(dir_.File("rgb.tga"), rgb);
  std::vector<uint8_t> shortFile = MakeTga(8, 8, [](int, int) { return Rgba{1, 2, 3, 4}; });
  shortFile.resize(shortFile.size() / 2);
  WriteBytes(dir_.File("short.tga"), shortFile);
  std::vector<uint8_t> huge = MakeTga(1, 1, [](int, int) { return Rgba{1, 2, 3, 4}; });
  huge[12] = huge[13] = huge[14] = huge[15] = 0xFF;
  WriteBytes(dir_.File("huge.tga"), huge);
  EXPECT_EQ(TextureManager::Load(dir_.File("rgb.tga")), nullptr);
  EXPECT_EQ(TextureManager::Load(dir_.File("short.tga")), nullptr);
  EXPECT_EQ(TextureManager::Load(dir_.File("huge.tga")), nullptr);
  EXPECT_TRUE(TextureList().empty());
}

TEST_F(SpriteRenderTest, Tile17SamplesColumnOneRowOne) {
  // A 160 x 60 sheet of 10 x 10 cells, each cell's colour saying where it is.
  WriteBytes(dir_.File("sheet.tga"), MakeTga(160, 60, [](int x, int y) {
               return Rgba{(x / 10) * 16, (y / 10) * 40, 200, 255};
             }));
  ASSERT_NE(TextureManager::Load(dir_.File("sheet.tga")), nullptr);
  GameObject* object = TexturedObject(0, 0, 0, 300, 300, "sheet.tga");
  object->FindComponent<Model>()->tile = 17;
  RenderObjects();
  EXPECT_RGB_NEAR(At(640, 360), 16, 40, 200, 1);
  EXPECT_RGB_NEAR(AtWorld(-100, 100), 16, 40, 200, 1);
  EXPECT_RGB_NEAR(AtWorld(100, -100), 16, 40, 200, 1);
}

TEST_F(SpriteRenderTest, PngThroughTheDecoderDraws) {
  ASSERT_NE(TextureManager::Load("./Assets/wall.png"), nullptr);
  TexturedObject(0, 0, 0, 300, 300, "wall.png");
  RenderObjects();
  Rgba centre = At(640, 360);
  EXPECT_GT(centre.r + centre.g + centre.b, 0) << centre;
}

TEST_F(SpriteRenderTest, MissingTextureDrawsNothingAndHidesNothing) {
  ColorObject(0, 0, 0, 200, 200, 0, 1, 0);
  TexturedObject(0, 0, -5, 400, 400, "never-loaded.png");  // nearer, drawn later
  RenderObjects();
  EXPECT_RGB_NEAR(At(640, 360), 0, 255, 0, 1);
}

TEST_F(SpriteRenderTest, TransparentTexelsDoNotHideWhatIsDrawnBehindThemLater) {
  SolidTexture("clear.tga", Rgba{255, 255, 255, 0});
  TexturedObject(0, 0, -5, 400, 400, "clear.tga");  // nearer and first
  ColorObject(0, 0, 0, 200, 200, 0, 1, 0);
  RenderObjects();
  EXPECT_RGB_NEAR(At(640, 360), 0, 255, 0, 1);
}

TEST_F(SpriteRenderTest, LightBrightensNearbySpritesAndNotOnesPastItsFallOffEnd) {
  SolidTexture("grey.tga", Rgba{128, 128, 128, 255});
  SetAmbient(1.0f, 1.0f, 1.0f, 0.5f);  // base light 0.5: grey 128 shows as 64
  auto* lamp = new GameObject("Light_", 0, 0, 0, 1, 1, ObjectType::Light);
  lamp->AddComponent(new Light(1.0f, 100.0f, 200.0f, Vector3(1, 1, 1)));
  AddObject(lamp);
  TexturedObject(0, 0, 0, 40, 40, "grey.tga", ObjectType::Wall);    // within the fall-off start
  TexturedObject(150, 0, 0, 20, 20, "grey.tga", ObjectType::Wall);  // half way through the fade
  TexturedObject(400, 0, 0, 40, 40, "grey.tga", ObjectType::Wall);  // past the fall-off end
  RenderObjects();
  // Light at the centre: 0.5 + 1.0 = 1.5 x 128 = 192.
  EXPECT_RGB_NEAR(At(640, 360), 192, 192, 192, 2);
  // smoothstep at the middle of the fade is 0.5: (0.5 + 0.5) x 128 = 128 (distance from z - 10 too).
  EXPECT_RGB_NEAR(AtWorld(150, 0), 128, 128, 128, 3);
  EXPECT_RGB_NEAR(AtWorld(400, 0), 64, 64, 64, 1);
}

TEST_F(SpriteRenderTest, ColouredLightTintsOnlyItsColour) {
  SolidTexture("white.tga", Rgba{255, 255, 255, 255});
  SetAmbient(1.0f, 1.0f, 1.0f, 0.0f);
  auto* lamp = new GameObject("Light_", 0, 0, 0, 1, 1, ObjectType::Light);
  lamp->AddComponent(new Light(1.0f, 100.0f, 200.0f, Vector3(1, 0, 0)));
  AddObject(lamp);
  TexturedObject(0, 0, 0, 40, 40, "white.tga", ObjectType::Food);
  RenderObjects();
  EXPECT_RGB_NEAR(At(640, 360), 255, 0, 0, 1);
}

TEST_F(SpriteRenderTest, SaturationZeroMakesARedSpriteGreyAndOneKeepsItRed) {
  SolidTexture("red.tga", Rgba{255, 0, 0, 255});
  GameObject* grey = TexturedObject(-100, 0, 0, 100, 100, "red.tga", ObjectType::Wall);
  grey->AddComponent(new Filter(FilterType::Saturation, 0.0f, Vector4()));
  GameObject* red = TexturedObject(100, 0, 0, 100, 100, "red.tga", ObjectType::Wall);
  red->AddComponent(new Filter(FilterType::Saturation, 1.0f, Vector4()));
  RenderObjects();
  // Grey is the red's luma: 0.299 x 255 = 76.
  EXPECT_RGB_NEAR(AtWorld(-100, 0), 76, 76, 76, 1);
  EXPECT_RGB_NEAR(AtWorld(100, 0), 255, 0, 0, 1);
}

TEST_F(SpriteRenderTest, ColourFilterTintsAndItsAlphaScalesCoverage) {
  SolidTexture("white.tga", Rgba{255, 255, 255, 255});
  // Red -1: no tint, but half the coverage over black.
  GameObject* half = TexturedObject(-200, 0, 0, 100, 100, "white.tga", ObjectType::Vent);
  half->AddComponent(new Filter(FilterType::Color, 0.0f, Vector4(-1.0f, 0.0f, 0.0f, 0.5f)));
  // A tint multiplies.
  GameObject* tinted = TexturedObject(0, 0, 0, 100, 100, "white.tga", ObjectType::Vent);
  tinted->AddComponent(new Filter(FilterType::Color, 0.0f, Vector4(0.5f, 1.0f, 0.25f, 1.0f)));
  // Two filters apply in order.
  GameObject* both = TexturedObject(200, 0, 0, 100, 100, "white.tga", ObjectType::Cover);
  both->AddComponent(new Filter(FilterType::Color, 0.0f, Vector4(1.0f, 0.0f, 0.0f, 1.0f)));
  both->AddComponent(new Filter(FilterType::Saturation, 0.0f, Vector4()));
  // A black filter carries no tint: covers and vents keep their picture and only fade.
  GameObject* black = TexturedObject(0, 200, 0, 100, 100, "white.tga", ObjectType::Cover);
  black->AddComponent(new Filter(FilterType::Color, 0.0f, Vector4(0.0f, 0.0f, 0.0f, 1.0f)));
  GameObject* fading = TexturedObject(0, -200, 0, 100, 100, "white.tga", ObjectType::Cover);
  fading->AddComponent(new Filter(FilterType::Color, 0.0f, Vector4(0.0f, 0.0f, 0.0f, 0.5f)));
  RenderObjects();
  EXPECT_RGB_NEAR(AtWorld(-200, 0), 128, 128, 128, 2);
  EXPECT_RGB_NEAR(AtWorld(0, 0), 128, 255, 64, 2);
  EXPECT_RGB_NEAR(AtWorld(200, 0), 76, 76, 76, 2);
  EXPECT_RGB_NEAR(AtWorld(0, 200), 255, 255, 255, 2);
  EXPECT_RGB_NEAR(AtWorld(0, -200), 128, 128, 128, 2);
}

TEST_F(SpriteRenderTest, TextUiAndTheFadeAreNotDarkenedByADarkAmbient) {
  SolidTexture("white.tga", Rgba{255, 255, 255, 255});
  SetAmbient(0.0f, 0.0f, 0.0f, 0.0f);
  TexturedObject(-300, 0, 0, 100, 100, "white.tga", ObjectType::Wall);
  TexturedObject(-100, 0, 0, 100, 100, "white.tga", ObjectType::Text);
  TexturedObject(100, 0, 0, 100, 100, "white.tga", ObjectType::UI);
  TexturedObject(300, 0, 0, 100, 100, "white.tga", ObjectType::Transition);
  RenderObjects();
  EXPECT_RGB_NEAR(AtWorld(-300, 0), 0, 0, 0, 0);  // a level object in the dark
  EXPECT_RGB_NEAR(AtWorld(-100, 0), 255, 255, 255, 0);
  EXPECT_RGB_NEAR(AtWorld(100, 0), 255, 255, 255, 0);
  EXPECT_RGB_NEAR(AtWorld(300, 0), 255, 255, 255, 0);
}

// The same grey and brown saved by different editors: one writes an sRGB chunk, one a gamma chunk,
// one neither. All three must show the same colours on screen, those the file stores.
TEST_F(SpriteRenderTest, PngsShowTheirStoredColoursWhateverColourChunkTheyCarry) {
  const std::string greys = testing_support::Bytes({128, 128, 128, 128, 128, 128, 128, 128, 128, 128, 128, 128});
  const std::string browns = testing_support::Bytes({128, 64, 32, 128, 64, 32, 128, 64, 32, 128, 64, 32});
  const std::vector<std::vector<testing_support::PngChunk>> chunks = {
      {}, {{"sRGB", testing_support::Bytes({0})}}, {{"gAMA", testing_support::Bytes({0, 0, 0xB1, 0x8F})}}};
  for (size_t i = 0; i < chunks.size(); ++i) {
    const std::string name = "saved" + std::to_string(i) + ".png";
    // Two rows of four greys, then two rows of four browns.
    testing_support::WriteFile(dir_.File(name), testing_support::PngBytes(4, 4, 2, 8, [&](uint32_t y, std::string* row) {
      *row = y < 2 ? greys : browns;
    }, chunks[i]));
    ASSERT_NE(TextureManager::Load(dir_.File(name)), nullptr);
    TexturedObject(-300.0f + 300.0f * static_cast<float>(i), 0, 0, 200, 200, name);
  }
  RenderObjects();
  for (size_t i = 0; i < chunks.size(); ++i) {
    SCOPED_TRACE("picture " + std::to_string(i));
    const float x = -300.0f + 300.0f * static_cast<float>(i);
    EXPECT_RGB_NEAR(AtWorld(x, 50), 128, 128, 128, 1);   // the top half: grey 128
    EXPECT_RGB_NEAR(AtWorld(x, -50), 128, 64, 32, 1);    // the bottom half: brown
  }
}

// A grey picture with one transparent grey: the other greys keep their colour, and the transparent
// one shows what lies behind it.
TEST_F(SpriteRenderTest, AGreyPngWithATransparentGreyShowsItsGreysAndSeesThroughTheKey) {
  testing_support::WriteFile(dir_.File("key.png"),
                             testing_support::PngBytes(4, 4, 0, 8, [](uint32_t y, std::string* row) {
                               *row = std::string(4, static_cast<char>(y < 2 ? 85 : 170));
                             }, {{"tRNS", testing_support::Bytes({0, 170})}}));
  ASSERT_NE(TextureManager::Load(dir_.File("key.png")), nullptr);
  ColorObject(0, 0, 5, 400, 400, 0.0f, 0.0f, 1.0f);  // blue, farther away, drawn first
  TexturedObject(0, 0, 0, 200, 200, "key.png");
  RenderObjects();
  EXPECT_RGB_NEAR(AtWorld(0, 60), 85, 85, 85, 1);   // the top rows: grey 85
  EXPECT_RGB_NEAR(AtWorld(0, -60), 0, 0, 255, 1);   // the bottom rows are the transparent grey
}
