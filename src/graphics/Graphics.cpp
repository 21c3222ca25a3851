// Placeholder frame until the graphics device lands: the object pass and the scene update run,
// nothing is drawn.
#include "graphics/Graphics.h"

#include <cstdio>

#include "app/FrameClock.h"
#include "app/Logger.h"
#include "graphics/Camera.h"
#include "objects/ObjectManager.h"
#include "platform/Platform.h"
#include "scenes/SceneManager.h"

namespace {
Graphics* gGraphics = nullptr;
}

Graphics* GetGraphics() { return gGraphics; }
void SetGraphics(Graphics* graphics) { gGraphics = graphics; }

bool Graphics::Initialize() { return true; }

bool Graphics::Frame() {
  float dt = FrameTime();
  int w = 0, h = 0;
  platform::GetPlatform().GetClientSize(&w, &h);
  if (w > 0 && h > 0) BuildProjection(static_cast<float>(w) / static_cast<float>(h));
  MainCamera().Render();
  UpdateObjects(dt);
  if (!UpdateScenes(dt)) return false;
  platform::GetPlatform().SwapBuffers(true);
  int ow = 0, oh = 0;
  platform::GetPlatform().GetWindowSize(&ow, &oh);
  char line[200];
  std::snprintf(line, sizeof(line), "window height %i | window width: %i ", oh, ow);
  Log(line, LogLevel::Info);
  return true;
}

void Graphics::Shutdown() { DestroySceneList(); }

bool WriteScreenshot(const std::string&) { return false; }
