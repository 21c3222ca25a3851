#include <gtest/gtest.h>

#include <filesystem>

#include "core/Options.h"
#include "graphics/ColorShader.h"
#include "graphics/Filter.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/ParticleEmitter.h"
#include "graphics/TextureShader.h"
#include "objects/Collision.h"
#include "objects/GameObject.h"
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

// A headless start succeeds quietly (and its shutdown takes the device and programs away again).
// The collision rules in objects reach the emitters and filters only through hooks that the
// graphics start fills: without them food striking a wall would throw no crumbs in the game.
TEST(GraphicsStartTest, HeadlessStartSucceedsAndFillsWhatContactsDoToEmittersAndFilters) {
  GetCollisionEffectHooks() = CollisionEffectHooks{};
  bool started = false;
  EXPECT_EQ(StartWithout("", &started), "");
  ASSERT_TRUE(started);
  EXPECT_EQ(GetGraphicsDevice(), nullptr);
  EXPECT_EQ(GetColorShader(), nullptr);
  EXPECT_EQ(GetTextureShader(), nullptr);
  const CollisionEffectHooks& effects = GetCollisionEffectHooks();
  ASSERT_NE(effects.startEmitters, nullptr);
  ASSERT_NE(effects.shadeCover, nullptr);

  GameObject food("Food_", 0, 0, 0, 10, 10, ObjectType::Food);
  auto* crumbs = new circleEmitter(20.0f);
  crumbs->name = "collision";
  food.AddComponent(crumbs);
  effects.startEmitters(&food, "collision");
  EXPECT_TRUE(crumbs->active);

  GameObject cover("Cover_", 0, 0, 0, 100, 100, ObjectType::Cover);
  auto* filter = new Filter(FilterType::Color, 0.0f, Vector4(0.0f, 0.0f, 0.0f, 1.0f));
  cover.AddComponent(filter);
  effects.shadeCover(&cover, 0.5f);
  EXPECT_FLOAT_EQ(filter->GetColor().w(), 0.5f);
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
