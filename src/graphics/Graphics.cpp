#include "graphics/Graphics.h"

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

#include "audio/AudioSystem.h"
#include "core/AppHooks.h"
#include "core/EditorLink.h"
#include "core/FrameClock.h"
#include "core/Logger.h"
#include "core/Options.h"
#include "graphics/Camera.h"
#include "graphics/CollisionEffects.h"
#include "graphics/ColorShader.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/SpriteBatch.h"
#include "graphics/Texture.h"
#include "graphics/TextureShader.h"
#include "objects/ObjectManager.h"
#include "platform/GpuDevice.h"
#include "platform/ImageDecoder.h"
#include "platform/Platform.h"

namespace {

struct GraphicsModule {
  Graphics* graphics = nullptr;
  GraphicsDevice* device = nullptr;
  ColorShader* colorShader = nullptr;
  TextureShader* textureShader = nullptr;
  // Frames presented so far, and the back buffer kept for a screenshot: the main loop asks for the
  // screenshot after the frame has been presented, when the back buffer no longer holds it, so the
  // frame is read back just before presenting whenever a screenshot of it is pending.
  int framesPresented = 0;
  int capturedFrame = -1;  // the framesPresented value of the frame in `capture`
  int lastRequestedFrame = 0;
  platform::PixelImage capture;
  platform::GpuStats lastRunStats;
  SceneSteps sceneSteps;
};

GraphicsModule& Module() {
  static GraphicsModule module;
  return module;
}

// True when the main loop will ask for a screenshot of frame `next`, the one about to be presented
// (requests for frame N are written after the loop's N-th frame; one for a frame already past is
// written after the next one).
bool ScreenshotPending(int next) {
  GraphicsModule& m = Module();
  bool pending = false;
  for (const ScreenshotRequest& shot : GetRunOptions().screenshots) {
    if (shot.frame <= next && shot.frame > m.lastRequestedFrame) pending = true;
  }
  if (pending) m.lastRequestedFrame = next;
  return pending;
}

}  // namespace

Graphics* GetGraphics() { return Module().graphics; }

void SetPresentWaits(bool wait) {
  if (Module().device != nullptr) Module().device->vsync = wait;
}
void SetGraphics(Graphics* graphics) { Module().graphics = graphics; }
void SetSceneSteps(const SceneSteps& steps) { Module().sceneSteps = steps; }

bool Graphics::Initialize() {
  GraphicsModule& m = Module();
  platform::Platform& plat = platform::GetPlatform();

  // 1-2. The device, at the size of the window's drawable (its pixels).
  m.device = new GraphicsDevice();
  SetGraphicsDevice(m.device);
  int width = 0, height = 0;
  plat.GetDrawableSize(&width, &height);
  if (!m.device->Initialize(width, height, kScreenDepth, kScreenNear)) {
    plat.ShowMessageBox("Could not initialize OpenGL.", "Error");
    return false;
  }

  // 3. The camera.
  Camera& camera = MainCamera();
  camera.position[0] = 0.0f;
  camera.position[1] = 0.0f;
  camera.position[2] = -1000.0f;
  camera.rotation[0] = camera.rotation[1] = camera.rotation[2] = 0.0f;

  // 4-6. The two shader programs; either failing ends start-up with the same message.
  m.colorShader = new ColorShader();
  SetColorShader(m.colorShader);
  bool ok = m.colorShader->Initialize();
  if (ok) {
    m.textureShader = new TextureShader();
    SetTextureShader(m.textureShader);
    ok = m.textureShader->Initialize();
  }
  if (!ok) {
    plat.ShowMessageBox("Could not initialize the color shader object.", "Error");
    return false;
  }
  // 7. The sprite batch's streams (without them nothing is drawn, but the game runs on).
  InitializeSpriteBatch();
  // 8. What contacts do to emitters and filters.
  InstallCollisionEffects();
  m.framesPresented = 0;
  m.capturedFrame = -1;
  m.lastRequestedFrame = 0;
  return true;
}

bool Graphics::Frame(int frameNumber) {
  GraphicsModule& m = Module();
  if (m.device == nullptr) return false;
  platform::Platform& plat = platform::GetPlatform();

  // 1. The frame time for every update of this frame.
  float dt = FrameTime();
  // 2. The projection follows the shape of what is drawn now.
  int width = 0, height = 0;
  plat.GetDrawableSize(&width, &height);
  if (width > 0 && height > 0) BuildProjection(static_cast<float>(width) / static_cast<float>(height));
  // 3. Clear.
  m.device->BeginScene();
  // 4. The camera's view.
  MainCamera().Render();
  // 5. Alpha blending.
  m.device->BindAlphaBlending();
  // 6. The object pass: every component draws and updates.
  UpdateObjects(dt);
  // 7. The scene manager; an empty scene list ends the program before anything is presented.
  if (m.sceneSteps.update == nullptr || !m.sceneSteps.update(dt)) return false;
  // 7b. Everything the object pass and the scenes queued goes to the GPU.
  FinishSpriteFrame();
  // 8. The editor's interface.
  if (GetEditorLink().enabled && GetApplicationHooks().editorRender != nullptr) {
    GetApplicationHooks().editorRender();
    // The editor's interface bound its own program, buffers and projection block through the device;
    // the game's are bound again next time.
    m.device->Gpu().ForgetBoundState();
  }
  // 9. Present (vsync on).
  if (ScreenshotPending(frameNumber) && m.device->Gpu().ReadBackBuffer(&m.capture)) m.capturedFrame = m.framesPresented + 1;
  m.device->EndScene();
  ++m.framesPresented;
  // 10. The audio system's per-frame update.
  UpdateAudio();
  // 11. The window's outer size.
  int outerWidth = 0, outerHeight = 0;
  plat.GetWindowSize(&outerWidth, &outerHeight);
  char line[200];
  std::snprintf(line, sizeof(line), "window height %i | window width: %i ", outerHeight, outerWidth);
  Log(line, LogLevel::Info);
  return true;
}

void Graphics::Shutdown() {
  GraphicsModule& m = Module();
  // How much each frame asked of the device, for the log of a measured run.
  if (m.device != nullptr) m.lastRunStats = m.device->Gpu().Stats();
  if (m.device != nullptr && m.device->Gpu().Stats().frames > 0) {
    const platform::GpuStats& stats = m.device->Gpu().Stats();
    char line[160];
    std::snprintf(line, sizeof(line), "%llu frames, %.1f draw calls and %.1f buffer writes per frame",
                  static_cast<unsigned long long>(stats.frames),
                  static_cast<double>(stats.drawCalls) / static_cast<double>(stats.frames),
                  static_cast<double>(stats.bufferUploads + stats.uniformUploads) / static_cast<double>(stats.frames));
    Log(line, LogLevel::Debug);
  }
  ShutdownSpriteBatch();
  if (m.textureShader != nullptr) {
    m.textureShader->Shutdown();
    SetTextureShader(nullptr);
    delete m.textureShader;
    m.textureShader = nullptr;
  }
  if (m.colorShader != nullptr) {
    m.colorShader->Shutdown();
    SetColorShader(nullptr);
    delete m.colorShader;
    m.colorShader = nullptr;
  }
  // The objects of the current scene and the transition overlay own GPU buffers: they go while the
  // device can still free them (and before the program ends, so nothing is left unreleased).
  ClearObjects();
  SetTransitionOverlay(nullptr);
  if (m.sceneSteps.destroy != nullptr) m.sceneSteps.destroy();
  DestroyAllTextures();
  if (m.device != nullptr) {
    m.device->Shutdown();
    SetGraphicsDevice(nullptr);
    delete m.device;
    m.device = nullptr;
  }
  m.capture = platform::PixelImage{};
  m.capturedFrame = -1;
}

platform::GpuStats LastRunGpuStats() { return Module().lastRunStats; }

namespace {
// The window shows the picture opaque whatever alpha the blending left in the back buffer; a
// screenshot shows it the same way.
std::vector<uint8_t> Opaque(std::vector<uint8_t> rgba) {
  for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
  return rgba;
}
}  // namespace

bool WriteScreenshot(const std::string& file) {
  GraphicsModule& m = Module();
  if (m.device == nullptr) return false;
  // The frame just presented was read back before presenting; without a presented frame (a test
  // that drew without presenting) the back buffer still holds the picture.
  if (m.capturedFrame == m.framesPresented && m.framesPresented > 0) {
    return platform::WritePng(file, m.capture.width, m.capture.height, Opaque(m.capture.rgba));
  }
  platform::PixelImage image;
  FlushSprites();
  if (!m.device->Gpu().ReadBackBuffer(&image)) return false;
  return platform::WritePng(file, image.width, image.height, Opaque(std::move(image.rgba)));
}
