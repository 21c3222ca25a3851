// The editor's windows on a scaled display: they are laid out in the window's units (the mouse's),
// drawn over every pixel of the drawable, and their letters are made at the drawable's pixel size.
#include <gtest/gtest.h>

#include <memory>

#include "editor/ImGuiLayer.h"
#include "imgui.h"
#include "platform/Platform.h"
#include "support/ScaledPlatform.h"

namespace {

TEST(ImGuiLayerTest, OnAScaledDisplayTheWindowsCoverTheDrawableAndTheirLettersAreMadeAtItsSize) {
  platform::InstallPlatform(std::make_unique<testing_support::ScaledPlatform>(640, 360, 2));
  StartImGuiLayer();
  BeginImGuiFrame(0.016f);
  const ImGuiIO& io = ImGui::GetIO();
  EXPECT_FLOAT_EQ(io.DisplaySize.x, 640.0f);
  EXPECT_FLOAT_EQ(io.DisplaySize.y, 360.0f);
  EXPECT_FLOAT_EQ(io.DisplayFramebufferScale.x, 2.0f);
  EXPECT_FLOAT_EQ(io.DisplayFramebufferScale.y, 2.0f);
  EXPECT_FLOAT_EQ(io.FontGlobalScale, 0.5f);
  ASSERT_NE(io.Fonts->Fonts.back(), nullptr);
  EXPECT_FLOAT_EQ(io.Fonts->Fonts.back()->FontSize, 26.0f);
  EndImGuiFrame();
  StopImGuiLayer();

  // An ordinary display keeps ImGui's own sizes.
  platform::InstallPlatform(platform::CreateNullPlatform(640, 360));
  StartImGuiLayer();
  BeginImGuiFrame(0.016f);
  EXPECT_FLOAT_EQ(ImGui::GetIO().DisplayFramebufferScale.x, 1.0f);
  EXPECT_FLOAT_EQ(ImGui::GetIO().FontGlobalScale, 1.0f);
  EndImGuiFrame();
  StopImGuiLayer();
  platform::InstallPlatform(platform::CreateNullPlatform());
}

}  // namespace
