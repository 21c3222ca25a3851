#include "RenderFixture.h"

#include "graphics/ScreenToWorld.h"
#include "objects/Transform.h"

using namespace render_test;

namespace {
class DrawingRenderTest : public RenderTest {};
}  // namespace

TEST_F(DrawingRenderTest, GreenSquareCoversTheCentreAndEndsWhereTheProjectionSays) {
  ColorObject(0, 0, 0, 200, 200, 0, 1, 0);
  RenderObjects();
  // 200 units are 174 pixels: the square spans pixels 553..727 across the middle row.
  EXPECT_RGB_NEAR(At(640, 360), 0, 255, 0, 1);
  EXPECT_RGB_NEAR(At(PixelX(95), 360), 0, 255, 0, 1);
  EXPECT_RGB_NEAR(At(PixelX(-95), PixelY(95)), 0, 255, 0, 1);
  EXPECT_RGB_NEAR(At(PixelX(105), 360), 0, 0, 0, 0);
  // Nothing 120 pixels right of its edge, and the clear colour is opaque black.
  EXPECT_RGB_NEAR(At(PixelX(100) + 120, 360), 0, 0, 0, 0);
  EXPECT_EQ(At(PixelX(100) + 120, 360).a, 255);
}

TEST_F(DrawingRenderTest, YGrowsUpwardsAndXToTheRight) {
  ColorObject(200, 100, 0, 40, 40, 1, 0, 0);
  RenderObjects();
  EXPECT_RGB_NEAR(At(PixelX(200), PixelY(100)), 255, 0, 0, 1);
  EXPECT_LT(PixelY(100), 360);  // above the centre row
  EXPECT_RGB_NEAR(At(PixelX(-200), PixelY(100)), 0, 0, 0, 0);
  EXPECT_RGB_NEAR(At(PixelX(200), PixelY(-100)), 0, 0, 0, 0);
}

TEST_F(DrawingRenderTest, NearerObjectWinsWhateverTheOrderAndAtEqualDepthTheLaterDraw) {
  // Red at z = -1 is nearer the camera than blue at z = 0 although it is drawn first.
  ColorObject(-50, 0, -1, 100, 100, 1, 0, 0);
  ColorObject(0, 0, 0, 100, 100, 0, 0, 1);
  // Equal depth elsewhere: green is drawn after yellow and covers it where they overlap.
  ColorObject(-50, 250, 0, 100, 100, 1, 1, 0);
  ColorObject(0, 250, 0, 100, 100, 0, 1, 0);
  RenderObjects();
  EXPECT_RGB_NEAR(At(PixelX(-25), PixelY(0)), 255, 0, 0, 1);  // overlap: the nearer red
  EXPECT_RGB_NEAR(At(PixelX(30), PixelY(0)), 0, 0, 255, 1);   // blue alone
  EXPECT_RGB_NEAR(At(PixelX(-25), PixelY(250)), 0, 255, 0, 1);  // overlap: the later green
  EXPECT_RGB_NEAR(At(PixelX(-80), PixelY(250)), 255, 255, 0, 1);
}

TEST_F(DrawingRenderTest, HalfTransparentColourBlendsOverWhatIsBehind) {
  ColorObject(0, 0, 0, 300, 300, 0, 0, 1);
  ColorObject(0, 0, -1, 100, 100, 1, 0, 0, 0.5f);
  RenderObjects();
  EXPECT_RGB_NEAR(At(640, 360), 128, 0, 128, 2);
}

TEST_F(DrawingRenderTest, DefaultModelColourIsHalfTransparentMagenta) {
  auto* object = new GameObject("Wall_", 0, 0, 0, 100, 100, ObjectType::Wall);
  object->AddComponent(new Model(""));
  AddObject(object);
  RenderObjects();
  // (1, 0.0117647, 0.8352941) at alpha 0.5 over black.
  EXPECT_RGB_NEAR(At(640, 360), 128, 2, 106, 2);
}

TEST_F(DrawingRenderTest, QuarterTurnSwingsAnOffsetQuadAroundTheOwner) {
  GameObject* object = ColorObject(0, 0, 0, 50, 50, 0, 1, 0);
  object->GetTransform()->rotation = 90.0f;
  object->FindComponent<Model>()->offsetX = 150.0f;
  RenderObjects();
  // The quad's centre (150, 0) turns about the owner at (0, 0) to (0, 150).
  EXPECT_RGB_NEAR(At(PixelX(0), PixelY(150)), 0, 255, 0, 1);
  EXPECT_RGB_NEAR(At(PixelX(150), PixelY(0)), 0, 0, 0, 0);
  EXPECT_RGB_NEAR(At(PixelX(0), PixelY(0)), 0, 0, 0, 0);
}

TEST_F(DrawingRenderTest, ABackFacingQuadIsCulled) {
  // A negative width mirrors the quad, which turns its triangles away from the camera.
  ColorObject(0, 0, 0, -100, 100, 1, 1, 1);
  ColorObject(300, 0, 0, 100, 100, 1, 1, 1);
  RenderObjects();
  EXPECT_RGB_NEAR(At(PixelX(0), PixelY(0)), 0, 0, 0, 0);
  EXPECT_RGB_NEAR(At(PixelX(300), PixelY(0)), 255, 255, 255, 0);
}

TEST_F(DrawingRenderTest, MovedCameraMovesThePicture) {
  Camera& camera = MainCamera();
  camera.position[0] = 300.0f;
  camera.position[1] = -100.0f;
  ColorObject(300, -100, 0, 60, 60, 1, 0, 0);
  ColorObject(0, 0, 0, 60, 60, 0, 0, 1);
  RenderObjects();
  EXPECT_RGB_NEAR(At(640, 360), 255, 0, 0, 1);
  EXPECT_RGB_NEAR(At(PixelX(0, 300), PixelY(0, -100)), 0, 0, 255, 1);
}

TEST_F(DrawingRenderTest, ScreenToWorldMatchesTheProjection) {
  const float halfHeight = 1000.0f * std::tan(0.785398f / 2.0f);  // 414.2 world units
  const float halfWidth = halfHeight * 1280.0f / 720.0f;           // 736.4
  for (float cx : {0.0f, 250.0f}) {
    const float cy = cx == 0.0f ? 0.0f : -120.0f;
    MainCamera().position[0] = cx;
    MainCamera().position[1] = cy;
    BuildProjection(1280.0f / 720.0f);
    MainCamera().Render();
    WorldPoint centre = ScreenToWorld(640.0f, 360.0f, 0.0f);
    EXPECT_NEAR(centre.x, cx, 1.0f);
    EXPECT_NEAR(centre.y, cy, 1.0f);
    WorldPoint corner = ScreenToWorld(0.0f, 0.0f, 0.0f);
    EXPECT_NEAR(corner.x, cx - halfWidth, 2.0f);
    EXPECT_NEAR(corner.y, cy + halfHeight, 2.0f);
    // And the picture agrees: a square drawn at the world point under pixel (200, 150) covers it.
    WorldPoint under = ScreenToWorld(200.0f, 150.0f, 0.0f);
    ClearObjects();
    ColorObject(under.x, under.y, 0, 10, 10, 1, 1, 1);
    RenderObjects();
    EXPECT_RGB_NEAR(At(200, 150), 255, 255, 255, 0);
  }
}
