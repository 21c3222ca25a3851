// A fixture that starts the game's graphics on the null device (no window, no GL), as --headless does.
#pragma once

#include <gtest/gtest.h>

#include "core/Options.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/SpriteBatch.h"
#include "objects/ObjectManager.h"
#include "platform/Platform.h"

namespace graphics_test {

class HeadlessGraphics : public ::testing::Test {
 protected:
  void SetUp() override {
    RunOptions options;
    options.headless = true;
    SetRunOptions(options);
    platform::InstallPlatform(platform::CreateNullPlatform(1280, 720));
    ASSERT_TRUE(graphics_.Initialize());
    ASSERT_TRUE(GetGraphicsDevice()->IsNull());
    Gpu().ResetStats();
  }
  void TearDown() override {
    ClearObjects();
    graphics_.Shutdown();
    SetRunOptions(RunOptions{});
  }
  const platform::GpuStats& Stats() { return Gpu().Stats(); }
  // The counts once every queued sprite has gone out, as at the end of a frame.
  const platform::GpuStats& Flushed() {
    FlushSprites();
    return Gpu().Stats();
  }
  // Sends whatever is queued and counts from zero.
  void StartCounting() {
    FlushSprites();
    Gpu().ResetStats();
  }
  // A 1 x 1 white texture on the null device.
  static platform::GpuTexture WhitePixel() {
    const uint8_t pixel[4] = {255, 255, 255, 255};
    return Gpu().CreateTexture(1, 1, pixel, false, false);
  }

  Graphics graphics_;
};

}  // namespace graphics_test
