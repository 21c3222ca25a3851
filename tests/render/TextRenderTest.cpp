#include "RenderFixture.h"

#include <memory>
#include <vector>

#include "graphics/Text.h"
#include "objects/Transform.h"

using namespace render_test;

namespace {

// Labels of "|||" in 100-unit glyphs on a 600 x 100 button at the origin. The bar's cell in the
// light font sheet has its ink centred on the cell, so each bar marks the centre of its glyph quad.
class TextRenderTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_NE(TextureManager::Load("./Assets/FontSheet.png"), nullptr);
    button_ = std::make_unique<GameObject>("UI_1", 0.0f, 0.0f, -10.0f, 600.0f, 100.0f, ObjectType::UI);
  }
  void TearDown() override {
    RenderTest::TearDown();  // deletes the label before the button it follows
    button_.reset();
  }

  // A label object in the object list, as the UI module makes it, laid out on the button.
  void Label(uint32_t alignment) {
    auto* object = new GameObject("Text_2", 0.0f, 0.0f, -11.0f, 1.0f, 1.0f, ObjectType::Text);
    object->AddComponent(new Model(""));
    auto* text = new Text();
    text->linkedObject = button_.get();
    object->AddComponent(text);
    AddObject(object);
    text->SetText("|||", 100.0f, alignment);
  }

  // Centres (in pixels) of the bright runs along the button's middle row.
  std::vector<float> BarCentres() const {
    std::vector<float> centres;
    const int row = PixelY(0.0f);
    int runStart = -1;
    for (int x = 0; x <= render_test::kWidth; ++x) {
      bool bright = false;
      if (x < render_test::kWidth) {
        Rgba p = At(x, row);
        bright = p.r > 128 && p.g > 128 && p.b > 100;
      }
      if (bright && runStart < 0) runStart = x;
      if (!bright && runStart >= 0) {
        centres.push_back(static_cast<float>(runStart + x - 1) * 0.5f);
        runStart = -1;
      }
    }
    return centres;
  }

  // The label takes its button's depth, z = -10: 10 units nearer the camera than the plane z = 0,
  // so the perspective spreads it by 1000 / 990 about the screen centre.
  static float PixelXAtButtonDepth(float worldX) {
    const float z = -10.0f;
    return render_test::kWidth / 2.0f + worldX * render_test::kPixelsPerUnit * 1000.0f / (1000.0f + z);
  }

  void ExpectBarsAt(const std::vector<float>& worldX) {
    std::vector<float> centres = BarCentres();
    ASSERT_EQ(centres.size(), worldX.size());
    for (size_t i = 0; i < worldX.size(); ++i) {
      EXPECT_NEAR(centres[i], PixelXAtButtonDepth(worldX[i]), 1.0f) << "glyph " << i;
    }
  }

  std::unique_ptr<GameObject> button_;
};

}  // namespace

TEST_F(TextRenderTest, CentredGlyphsSitAroundTheButtonCentre) {
  Label(1);
  RenderObjects();
  ExpectBarsAt({-100.0f, 0.0f, 100.0f});
}

TEST_F(TextRenderTest, LeftAlignedGlyphsStartAtTheButtonsLeftEdge) {
  Label(0);
  RenderObjects();
  ExpectBarsAt({-250.0f, -150.0f, -50.0f});
}

TEST_F(TextRenderTest, RightAlignedGlyphsEndAtTheButtonsRightEdge) {
  Label(2);
  RenderObjects();
  ExpectBarsAt({50.0f, 150.0f, 250.0f});
}

TEST_F(TextRenderTest, LabelFollowsItsButtonAndHidesWithIt) {
  Label(1);
  button_->GetTransform()->position[0] = 200.0f;
  RenderObjects();
  ExpectBarsAt({100.0f, 200.0f, 300.0f});

  button_->visible = false;
  RenderObjects();  // the label's update (slot 4) copies the flag before its glyphs (slot 5 on) draw
  EXPECT_TRUE(BarCentres().empty());
}
