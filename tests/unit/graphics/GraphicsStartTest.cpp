#include <gtest/gtest.h>

#include <filesystem>

#include "core/Options.h"
#include "graphics/ColorShader.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/TextureShader.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

namespace fs = std::filesystem;
using testing_support::TempDir;

namespace {

// Runs Graphics::Initialize headless in a working folder holding a copy of the game's shaders,
// minus `missing`; returns what it printed on standard error.
std::string StartWithout(const std::string& missing, bool* started, bool headless = true) {
  TempDir dir;
  fs::create_directories(dir.File("Shaders"));
  for (const char* name : {"vcolor.glsl", "pcolor.glsl", "vtexture.glsl", "ptexture.glsl"}) {
    if (missing != name) fs::copy_file(fs::path("Shaders") / name, fs::path(dir.File("Shaders")) / name);
  }
  RunOptions options;
  options.headless = headless;
  SetRunOptions(options);
  platform::InstallPlatform(platform::CreateNullPlatform(1280, 720));
  fs::path before = fs::current_path();
  fs::current_path(dir.path());
  Graphics graphics;
  testing::internal::CaptureStderr();
  *started = graphics.Initialize();
  std::string err = testing::internal::GetCapturedStderr();
  graphics.Shutdown();
  fs::current_path(before);
  SetRunOptions(RunOptions{});
  return err;
}

}  // namespace

TEST(GraphicsStartTest, HeadlessStartUsesTheNullDeviceAndBothPrograms) {
  bool started = false;
  std::string err = StartWithout("", &started);
  EXPECT_TRUE(started);
  EXPECT_EQ(err, "");
  EXPECT_EQ(GetGraphicsDevice(), nullptr);  // shut down again
  EXPECT_EQ(GetColorShader(), nullptr);
  EXPECT_EQ(GetTextureShader(), nullptr);
}

TEST(GraphicsStartTest, MissingShaderFileNamesItThenFailsTheColourShaderObject) {
  for (const std::string file : {"vcolor.glsl", "pcolor.glsl", "vtexture.glsl", "ptexture.glsl"}) {
    bool started = true;
    std::string err = StartWithout(file, &started);
    EXPECT_FALSE(started) << file;
    EXPECT_EQ(err, "Missing Shader File: ./Shaders/" + file + "\nError: Could not initialize the color shader object.\n");
  }
}

TEST(GraphicsStartTest, WithoutAnOpenGlContextOnlyHeadlessStarts) {
  // The null platform has no GL context, as a machine whose driver cannot give OpenGL 3.3 core.
  bool started = true;
  std::string err = StartWithout("", &started, /*headless=*/false);
  EXPECT_FALSE(started) << "a window without OpenGL must not fall back to drawing nothing";
  EXPECT_EQ(err, "Error: Could not initialize OpenGL.\n");
}
