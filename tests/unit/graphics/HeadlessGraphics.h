// A fixture that starts the game's graphics on the null device (no window, no GL), as --headless does.
#pragma once

#include <gtest/gtest.h>

#include "app/Options.h"
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

  Graphics graphics_;
};

}  // namespace graphics_test
