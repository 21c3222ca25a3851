// The editor's own Dear ImGui back end draws the interface through the game's GPU device, over the
// game's picture: a window's colour inside its rectangle only, its text from the font texture, and
// the device's states as the game left them afterwards.
#include <gtest/gtest.h>

#include "RenderFixture.h"
#include "editor/ImGuiLayer.h"
#include "imgui.h"

namespace {

using render_test::Rgba;

class EditorOverlayRenderTest : public render_test::RenderTest {
 protected:
  void TearDown() override {
    StopImGuiLayer();
    RenderTest::TearDown();
  }
  // A borderless window of one colour at (x, y) of w x h pixels with a line of white text.
  static void DrawWindow(float x, float y, float w, float h) {
    ImGui::SetNextWindowPos(ImVec2(x, y));
    ImGui::SetNextWindowSize(ImVec2(w, h));
    ImGui::PushStyleColor(ImGuiCol_WindowBg, ImVec4(1.0f, 0.0f, 0.0f, 1.0f));
    ImGui::PushStyleColor(ImGuiCol_Text, ImVec4(1.0f, 1.0f, 1.0f, 1.0f));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
    ImGui::Begin("Overlay", nullptr, ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoSavedSettings);
    ImGui::Text("WWWW MMMM");
    ImGui::End();
    ImGui::PopStyleVar();
    ImGui::PopStyleColor(2);
  }
};

TEST_F(EditorOverlayRenderTest, AWindowIsDrawnOverTheGameInsideItsRectangleWithItsText) {
  ColorObject(0.0f, 0.0f, 0.0f, 2000.0f, 1000.0f, 0.0f, 0.0f, 1.0f);  // the game: blue everywhere
  StartImGuiLayer();
  BeginImGuiFrame(0.02f);
  DrawWindow(100.0f, 100.0f, 300.0f, 200.0f);
  EndImGuiFrame();

  BuildProjection(static_cast<float>(render_test::kWidth) / static_cast<float>(render_test::kHeight));
  GetGraphicsDevice()->BeginScene();
  MainCamera().Render();
  GetGraphicsDevice()->BindAlphaBlending();
  UpdateObjects(0.0f);
  FlushSprites();
  const uint64_t drawsBefore = Gpu().Stats().drawCalls;
  DrawImGuiLayer();
  EXPECT_GT(Gpu().Stats().drawCalls, drawsBefore);
  ASSERT_TRUE(Gpu().ReadBackBuffer(&frame_));

  EXPECT_RGB_NEAR(At(250, 250), 255, 0, 0, 2);  // inside the window, below its text
  EXPECT_RGB_NEAR(At(110, 295), 255, 0, 0, 2);  // inside, near a corner
  EXPECT_RGB_NEAR(At(95, 200), 0, 0, 255, 2);   // left of the window: the game
  EXPECT_RGB_NEAR(At(250, 305), 0, 0, 255, 2);  // below the window: the game
  EXPECT_RGB_NEAR(At(600, 500), 0, 0, 255, 2);
  // The text line at the window's top-left padding: the font texture's glyphs lighten some pixels.
  int light = 0;
  for (int y = 100; y < 130; ++y) {
    for (int x = 100; x < 250; ++x) {
      const Rgba p = At(x, y);
      light += p.r > 200 && p.g > 150 && p.b > 150;
    }
  }
  EXPECT_GT(light, 40) << "white glyphs on red";

  // The game's states are back: depth test, blending and culling on, no scissor.
  EXPECT_TRUE(Gpu().DepthTestOn());
  EXPECT_TRUE(Gpu().BlendingOn());
  EXPECT_TRUE(Gpu().CullingOn());
  EXPECT_FALSE(Gpu().ScissorOn());
}

// Stopped and started again (the editor's layer after the game's shutdown order) without a leak or
// a stale handle.
TEST_F(EditorOverlayRenderTest, TheLayerStartsAgainAfterStopping) {
  for (int round = 0; round < 2; ++round) {
    StartImGuiLayer();
    BeginImGuiFrame(0.02f);
    DrawWindow(10.0f, 10.0f, 50.0f, 50.0f);
    EndImGuiFrame();
    GetGraphicsDevice()->BeginScene();
    DrawImGuiLayer();
    ASSERT_TRUE(Gpu().ReadBackBuffer(&frame_));
    SCOPED_TRACE(round);
    EXPECT_RGB_NEAR(At(30, 40), 255, 0, 0, 2);
    StopImGuiLayer();
  }
}

}  // namespace
