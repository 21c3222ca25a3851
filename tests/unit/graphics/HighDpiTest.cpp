// A scaled display: the window's drawable has more pixels than the window has units. The picture
// is drawn over all of the drawable's pixels (viewport and projection), while the mouse, given in
// the window's units, still lands on the world point under it.
#include <gtest/gtest.h>

#include <memory>

#include "core/Options.h"
#include "graphics/Camera.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/ScreenToWorld.h"
#include "platform/Platform.h"
#include "support/ScaledPlatform.h"

namespace {

TEST(HighDpiTest, TheViewportTakesTheDrawablesPixelsAndTheMouseTheWindowsUnits) {
  RunOptions options;
  options.headless = true;
  SetRunOptions(options);
  platform::InstallPlatform(std::make_unique<testing_support::ScaledPlatform>(640, 360, 2));
  Graphics graphics;
  ASSERT_TRUE(graphics.Initialize());
  GraphicsDevice* device = GetGraphicsDevice();
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(device->ViewportWidth(), 1280);
  EXPECT_EQ(device->ViewportHeight(), 720);
  device->BeginScene();
  EXPECT_EQ(device->ViewportWidth(), 1280) << "each frame follows the drawable";
  device->EndScene();

  Camera& camera = MainCamera();
  camera.position[0] = camera.position[1] = 0.0f;
  camera.position[2] = -1000.0f;
  camera.Render();
  // The window's centre and corner, in its own units, are the view's centre and corner.
  const WorldPoint centre = ScreenToWorld(320.0f, 180.0f, 0.0f);
  EXPECT_NEAR(centre.x, 0.0f, 1.5f);
  EXPECT_NEAR(centre.y, 0.0f, 1.5f);
  float halfWidth = 0.0f, halfHeight = 0.0f;
  ViewHalfExtents(0.0f, &halfWidth, &halfHeight);
  const WorldPoint corner = ScreenToWorld(640.0f, 360.0f, 0.0f);
  EXPECT_NEAR(corner.x, halfWidth, 3.0f);
  EXPECT_NEAR(corner.y, -halfHeight, 3.0f);

  graphics.Shutdown();
  SetRunOptions(RunOptions{});
  platform::InstallPlatform(platform::CreateNullPlatform());
}

}  // namespace
