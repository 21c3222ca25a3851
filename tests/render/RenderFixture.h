// Render tests draw for real through OpenGL (SDL's offscreen driver, Mesa) in a 1280 x 720 window
// and read the back buffer back before it is presented. The world-to-pixel scale follows from the
// camera: it looks along +z from z = -1000 with a vertical field of view of 45 degrees, so the
// plane z = 0 shows 2 x 1000 x tan(22.5) = 828.4 world units over 720 pixels, 0.8692 pixels per
// unit, with world (0, 0) at pixel (640, 360) and world y growing upwards (pixel y downwards).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Options.h"
#include "graphics/Camera.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/Light.h"
#include "graphics/Model.h"
#include "graphics/SpriteBatch.h"
#include "graphics/Texture.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "platform/GpuDevice.h"
#include "platform/Platform.h"
#include "support/TestSupport.h"

namespace render_test {

inline constexpr int kWidth = 1280;
inline constexpr int kHeight = 720;
inline const float kPixelsPerUnit = static_cast<float>(kHeight) / (2.0f * 1000.0f * std::tan(0.785398f / 2.0f));

struct Rgba {
  int r = 0, g = 0, b = 0, a = 0;
};

inline std::ostream& operator<<(std::ostream& out, const Rgba& c) {
  return out << "(" << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ")";
}

// Pixel column/row of a world point on the plane z = 0 with the camera at (cx, cy).
inline int PixelX(float worldX, float cameraX = 0.0f) {
  return static_cast<int>(std::lround(kWidth / 2.0f + (worldX - cameraX) * kPixelsPerUnit));
}
inline int PixelY(float worldY, float cameraY = 0.0f) {
  return static_cast<int>(std::lround(kHeight / 2.0f - (worldY - cameraY) * kPixelsPerUnit));
}

class RenderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SetRunOptions(RunOptions{});
    platform::InstallPlatform(platform::CreateSdlPlatform());
    platform::WindowConfig window;
    window.windowed = true;
    window.width = kWidth;
    window.height = kHeight;
    window.noDialogs = true;
    if (!platform::GetPlatform().OpenWindow(window) || !platform::GetPlatform().HasGlContext()) {
      skipReason_ = "no OpenGL window: " + platform::GetPlatform().LastError();
      return;
    }
    graphics_ = new Graphics();
    if (!graphics_->Initialize() || GetGraphicsDevice()->IsNull()) {
      skipReason_ = "the graphics device did not start on OpenGL";
    }
  }
  static void TearDownTestSuite() {
    if (graphics_ != nullptr) {
      ClearObjects();
      graphics_->Shutdown();
      delete graphics_;
      graphics_ = nullptr;
    }
    platform::GetPlatform().CloseWindow();
    platform::InstallPlatform(platform::CreateNullPlatform());
    skipReason_.clear();
  }

  void SetUp() override {
    if (!skipReason_.empty()) {
      // Without OpenGL every render test would pass by skipping; only an explicit request allows it.
      if (testing_support::NoGlAllowed()) GTEST_SKIP() << skipReason_;
      FAIL() << skipReason_ << " (QM_ALLOW_NO_GL=1 skips the render tests on a machine without OpenGL)";
    }
    ClearObjects();
    ClearTextureList();
    Camera& camera = MainCamera();
    camera.position[0] = camera.position[1] = 0.0f;
    camera.position[2] = -1000.0f;
    SetAmbient(1.0f, 1.0f, 1.0f, 1.0f);
  }
  void TearDown() override {
    ClearObjects();
    SetAmbient(1.0f, 1.0f, 1.0f, 0.5f);
  }

  // Adds an untextured object of that colour (and type) to the object list.
  GameObject* ColorObject(float x, float y, float z, float sx, float sy, float r, float g, float b, float a = 1.0f,
                          ObjectType type = ObjectType::Wall) {
    auto* object = new GameObject(type == ObjectType::Wall ? "Wall_" : "Thing_", x, y, z, sx, sy, type);
    auto* model = new Model("");
    model->SetColor(r, g, b, a);
    object->AddComponent(model);
    AddObject(object);
    return object;
  }
  GameObject* TexturedObject(float x, float y, float z, float sx, float sy, const std::string& texture,
                             ObjectType type = ObjectType::UI) {
    auto* object = new GameObject("Sprite_", x, y, z, sx, sy, type);
    object->AddComponent(new Model(texture));
    AddObject(object);
    return object;
  }

  // The graphics frame up to the object pass (projection, clear, view, blending, objects), then the
  // back buffer before anything is presented.
  void RenderObjects() {
    BuildProjection(static_cast<float>(kWidth) / static_cast<float>(kHeight));
    GetGraphicsDevice()->BeginScene();
    MainCamera().Render();
    GetGraphicsDevice()->BindAlphaBlending();
    UpdateObjects(0.0f);
    FlushSprites();
    ASSERT_TRUE(Gpu().ReadBackBuffer(&frame_));
    ASSERT_EQ(frame_.width, kWidth);
    ASSERT_EQ(frame_.height, kHeight);
  }
  Rgba At(int x, int y) const {
    const uint8_t* p = frame_.rgba.data() + (static_cast<size_t>(y) * static_cast<size_t>(frame_.width) + static_cast<size_t>(x)) * 4;
    return {p[0], p[1], p[2], p[3]};
  }
  Rgba AtWorld(float x, float y) const {
    return At(PixelX(x, MainCamera().position[0]), PixelY(y, MainCamera().position[1]));
  }

  testing_support::TempDir dir_;
  platform::PixelImage frame_;
  static inline Graphics* graphics_ = nullptr;
  static inline std::string skipReason_;
};

// Expects a pixel within `tolerance` of an RGB colour (alpha ignored: blending writes it as is).
#define EXPECT_RGB_NEAR(pixel, R, G, B, tolerance)                                             \
  do {                                                                                         \
    render_test::Rgba p_ = (pixel);                                                            \
    EXPECT_NEAR(p_.r, (R), (tolerance)) << "pixel " << p_;                                     \
    EXPECT_NEAR(p_.g, (G), (tolerance)) << "pixel " << p_;                                     \
    EXPECT_NEAR(p_.b, (B), (tolerance)) << "pixel " << p_;                                     \
  } while (0)

// A 32-bit TGA of `width` x `height` whose colour at (x, y) (y from the top) comes from `colour`.
template <class F>
std::vector<uint8_t> MakeTga(int width, int height, F colour) {
  std::vector<uint8_t> bytes(18, 0);
  bytes[2] = 2;
  bytes[12] = static_cast<uint8_t>(width & 0xFF);
  bytes[13] = static_cast<uint8_t>(width >> 8);
  bytes[14] = static_cast<uint8_t>(height & 0xFF);
  bytes[15] = static_cast<uint8_t>(height >> 8);
  bytes[16] = 32;
  for (int row = height - 1; row >= 0; --row) {  // bottom-up
    for (int x = 0; x < width; ++x) {
      Rgba c = colour(x, row);
      bytes.push_back(static_cast<uint8_t>(c.b));
      bytes.push_back(static_cast<uint8_t>(c.g));
      bytes.push_back(static_cast<uint8_t>(c.r));
      bytes.push_back(static_cast<uint8_t>(c.a));
    }
  }
  return bytes;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  testing_support::WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

}  // namespace render_test
