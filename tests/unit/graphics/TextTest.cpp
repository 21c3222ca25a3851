#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "GraphicsTestHelpers.h"
#include "HeadlessGraphics.h"
#include "graphics/Model.h"
#include "graphics/Text.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"

using graphics_test::HeadlessGraphics;
using graphics_test::LogCapture;

namespace {

class TextTest : public HeadlessGraphics {
 protected:
  void TearDown() override {
    GetTextHooks() = TextHooks{};
    objects_.clear();
    HeadlessGraphics::TearDown();
  }
  GameObject* Button(float x, float y, float width, float height, float z = -10.0f) {
    objects_.push_back(std::make_unique<GameObject>("UI_1", x, y, z, width, height, ObjectType::UI));
    GameObject* button = objects_.back().get();
    button->AddComponent(new Model(""));
    return button;
  }
  // A text object as the Text_ archetype makes it: an untextured placeholder model and a Text.
  Text* Label(GameObject* linked) {
    objects_.push_back(std::make_unique<GameObject>("Text_2", 0.0f, 0.0f, -11.0f, 1.0f, 1.0f, ObjectType::Text));
    GameObject* object = objects_.back().get();
    object->AddComponent(new Model(""));
    auto* text = new Text();
    text->linkedObject = linked;
    object->AddComponent(text);
    return text;
  }
  // Centres of the glyph quads in text order.
  static std::vector<float> GlyphCentres(const Text* text) {
    std::vector<float> centres;
    const float x = text->owner->GetTransform()->position[0];
    for (Model* m : text->owner->FindComponents<Model>()) centres.push_back(x + m->offsetX);
    return centres;
  }

  std::vector<std::unique_ptr<GameObject>> objects_;
};

// ---- layout -----------------------------------------------------------------

TEST_F(TextTest, CentredTextSitsAroundTheButtonCentreAndLeftAndRightMeetItsEdges) {
  Text* text = Label(Button(100.0f, 40.0f, 300.0f, 50.0f));
  text->SetText("ok", 10.0f, 1);
  std::vector<float> centres = GlyphCentres(text);
  ASSERT_EQ(centres.size(), 2u);
  EXPECT_FLOAT_EQ(centres[0], 95.0f);
  EXPECT_FLOAT_EQ(centres[1], 105.0f);
  const Transform* t = text->owner->GetTransform();
  EXPECT_FLOAT_EQ(t->position[1], 40.0f);
  EXPECT_FLOAT_EQ(t->position[2], -11.0f);  // building keeps the text's own depth
  EXPECT_FLOAT_EQ(t->scale[0], 10.0f);
  EXPECT_FLOAT_EQ(t->scale[1], 10.0f);

  Text* left = Label(Button(0.0f, 0.0f, 200.0f, 50.0f));
  left->SetText("abc", 10.0f, 0);
  EXPECT_FLOAT_EQ(GlyphCentres(left)[0], -100.0f + 5.0f);

  Text* right = Label(Button(0.0f, 0.0f, 200.0f, 50.0f));
  right->SetText("abc", 10.0f, 2);
  centres = GlyphCentres(right);
  ASSERT_EQ(centres.size(), 3u);
  EXPECT_FLOAT_EQ(centres[0], 75.0f);
  EXPECT_FLOAT_EQ(centres[2], 95.0f);  // the last glyph's right edge meets the button's at 100

  Text* other = Label(Button(30.0f, 0.0f, 200.0f, 50.0f));
  other->SetText("abc", 10.0f, 7);  // an unknown alignment starts at the button's x
  EXPECT_FLOAT_EQ(GlyphCentres(other)[0], 30.0f);
}

TEST_F(TextTest, GlyphsShowTheirCellOfTheSheet) {
  Text* text = Label(Button(0.0f, 0.0f, 200.0f, 50.0f));
  text->SetText(" ~A", 10.0f, 1);
  std::vector<Model*> glyphs = text->owner->FindComponents<Model>();
  ASSERT_EQ(glyphs.size(), 3u);
  EXPECT_EQ(glyphs[0]->tile, 0);   // space
  EXPECT_EQ(glyphs[1]->tile, 94);  // tilde: the last row's second-to-last cell
  EXPECT_EQ(glyphs[2]->tile, 33);
  for (size_t i = 0; i < glyphs.size(); ++i) {
    EXPECT_EQ(glyphs[i]->GetTextureName(), "FontSheet.png");
    EXPECT_FLOAT_EQ(glyphs[i]->offsetX, 10.0f * static_cast<float>(i));
    EXPECT_FALSE(glyphs[i]->IsCollisionOutline());
  }
  // The first glyph takes the model slot; the others are appended after the fixed slots.
  EXPECT_EQ(text->owner->GetComponent(SlotOf(ComponentType::Model)), glyphs[0]);
}

TEST_F(TextTest, TextStopsAtTheFirstNulAndTheGlyphSizeIsDerivedOnceAndZeroKeepsIt) {
  Text* text = Label(Button(0.0f, 0.0f, 200.0f, 50.0f));
  text->SetText(std::string("ab\0cd", 5), 0.0f, 1);
  EXPECT_EQ(text->owner->FindComponents<Model>().size(), 2u);
  EXPECT_FLOAT_EQ(text->glyphSize, 100.0f);  // the button's width shared by the two characters
  text->SetText("abcd", 0.0f, 1);
  EXPECT_FLOAT_EQ(text->glyphSize, 100.0f);
  text->SetText("abcd", 20.0f, 1);
  EXPECT_FLOAT_EQ(text->glyphSize, 20.0f);

  Text* empty = Label(Button(0.0f, 0.0f, 200.0f, 50.0f));
  empty->SetText("", 0.0f, 1);  // no characters to share the width: no size yet, no models
  EXPECT_FLOAT_EQ(empty->glyphSize, 0.0f);
  EXPECT_TRUE(empty->owner->FindComponents<Model>().empty());
  text->SetText("", 10.0f, 1);
  EXPECT_TRUE(text->owner->FindComponents<Model>().empty());
}

TEST_F(TextTest, DarkFontStaysDarkAndUseLightFontSwitchesEveryGlyph) {
  Text* text = Label(Button(0.0f, 0.0f, 200.0f, 50.0f));
  text->owner->GetComponentAs<Model>(SlotOf(ComponentType::Model))->SetTextureName("FontSheet_Black.png");
  text->SetText("play", 10.0f, 1);
  text->SetText("quit", 10.0f, 1);
  for (Model* m : text->owner->FindComponents<Model>()) EXPECT_EQ(m->GetTextureName(), "FontSheet_Black.png");
  text->UseLightFont();
  for (Model* m : text->owner->FindComponents<Model>()) EXPECT_EQ(m->GetTextureName(), "FontSheet.png");
}

TEST_F(TextTest, RelabellingLogsAndDoesNotGrowTheComponentList) {
  LogCapture log;
  Text* text = Label(Button(0.0f, 0.0f, 200.0f, 50.0f));
  auto* extra = new Transform(0.0f, 0.0f, 0.0f, 1.0f, 1.0f);  // an appended non-model stays
  text->owner->AddComponent(extra);
  for (int i = 0; i < 50; ++i) text->SetText("score 1234", 10.0f, 1);
  EXPECT_EQ(text->owner->components.size(), kComponentSlots + 1 + 9);
  EXPECT_EQ(text->owner->components[kComponentSlots].get(), extra);
  EXPECT_EQ(text->owner->FindComponents<Model>().size(), 10u);
  EXPECT_EQ(log.Count("-DEBUG- Text updated"), 50);
}

// ---- the per-frame update -------------------------------------------------------

TEST_F(TextTest, TheLabelFollowsItsObjectsVisibilityAndASignFadesWhileThePlayerStandsOnIt) {
  GameObject* sign = Button(0.0f, 0.0f, 200.0f, 50.0f);
  Model* panel = sign->GetComponentAs<Model>(SlotOf(ComponentType::Model));
  panel->SetColor(0.2f, 0.3f, 0.4f, 1.0f);
  Text* text = Label(sign);
  text->SetText("hello", 10.0f, 1);
  // Hiding the linked object hides the label at the next update, and showing it shows it.
  sign->visible = false;
  EXPECT_TRUE(text->owner->visible);
  text->Update(0.025f);
  EXPECT_FALSE(text->owner->visible);
  sign->visible = true;
  text->Update(0.025f);
  EXPECT_TRUE(text->owner->visible);

  auto* player = new GameObject("Player_3", 99.0f, 49.0f, 0.0f, 43.0f, 116.0f, ObjectType::Player);
  AddObject(player);

  // The panel fades unless the label is fixed to the screen; without the UI module's answer every
  // label counts as fixed, so nothing fades.
  text->Update(0.025f);
  EXPECT_FLOAT_EQ(panel->GetMesh()->color[3], 1.0f);

  GetTextHooks().isFixedToScreen = [](GameObject*) { return false; };
  text->Update(0.025f);  // within half the width and the full height
  EXPECT_FLOAT_EQ(panel->GetMesh()->color[3], 0.1f);
  EXPECT_FLOAT_EQ(panel->GetMesh()->color[0], 0.2f);
  EXPECT_FLOAT_EQ(panel->GetMesh()->color[2], 0.4f);

  player->GetTransform()->position[1] = 50.0f;  // exactly the height away is outside
  text->Update(0.025f);
  EXPECT_FLOAT_EQ(panel->GetMesh()->color[3], 1.0f);

  player->GetTransform()->position[1] = 0.0f;
  player->GetTransform()->position[0] = 100.0f;  // exactly half the width away is outside
  text->Update(0.025f);
  EXPECT_FLOAT_EQ(panel->GetMesh()->color[3], 1.0f);

  GetTextHooks().isFixedToScreen = [](GameObject*) { return true; };
  player->GetTransform()->position[0] = 0.0f;
  text->Update(0.025f);
  EXPECT_FLOAT_EQ(panel->GetMesh()->color[3], 1.0f);
}

}  // namespace
