// N textured, lit sprites under 0, 8 or 64 lights, drawn for real through OpenGL in a 1280 x 720
// window (SDL_VIDEODRIVER=offscreen where there is no display; skipped without a GL context).
// Reports milliseconds per frame and the draw calls and uniform-block uploads per frame.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "app/Options.h"
#include "graphics/Camera.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/Light.h"
#include "graphics/Model.h"
#include "graphics/SpriteBatch.h"
#include "graphics/Texture.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "platform/Platform.h"

namespace {

struct Rig {
  std::unique_ptr<Graphics> graphics;
  std::string problem;
  bool started = false;
};

Rig& TheRig() {
  static Rig rig;
  return rig;
}

const std::string& StartRig() {
  Rig& rig = TheRig();
  if (rig.started) return rig.problem;
  rig.started = true;
  SetRunOptions(RunOptions{});
  platform::InstallPlatform(platform::CreateSdlPlatform());
  platform::WindowConfig window;
  window.windowed = true;
  window.width = 1280;
  window.height = 720;
  window.noDialogs = true;
  if (!platform::GetPlatform().OpenWindow(window) || !platform::GetPlatform().HasGlContext()) {
    rig.problem = "no OpenGL context: " + platform::GetPlatform().LastError();
    return rig.problem;
  }
  rig.graphics = std::make_unique<Graphics>();
  if (!rig.graphics->Initialize() || GetGraphicsDevice()->IsNull()) {
    rig.problem = "graphics did not start on OpenGL";
    return rig.problem;
  }
  // A real sprite of the game, through the platform decoder.
  TextureManager::Load("./Assets/food.png");
  return rig.problem;
}

void StopRig() {
  Rig& rig = TheRig();
  ClearObjects();
  if (rig.graphics) rig.graphics->Shutdown();
  rig.graphics.reset();
  platform::GetPlatform().CloseWindow();
}

void FillScene(int sprites, int lights) {
  ClearObjects();
  for (int i = 0; i < lights; ++i) {
    float x = static_cast<float>((i * 211) % 1400 - 700);
    float y = static_cast<float>((i * 97) % 800 - 400);
    auto* lamp = new GameObject("Light_", x, y, 0.0f, 1.0f, 1.0f, ObjectType::Light);
    lamp->AddComponent(new Light(0.8f, 60.0f, 160.0f, Vector3(1.0f, 0.9f, 0.7f)));
    AddObject(lamp);
  }
  for (int i = 0; i < sprites; ++i) {
    float x = static_cast<float>((i * 37) % 1400 - 700);
    float y = static_cast<float>((i * 53) % 800 - 400);
    auto* food = new GameObject("Food_", x, y, 0.0f, 20.0f, 20.0f, ObjectType::Food);
    food->AddComponent(new Model("food.png"));
    AddObject(food);
  }
}

void BM_LitSprites(benchmark::State& state) {
  const std::string& problem = StartRig();
  if (!problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  const int sprites = static_cast<int>(state.range(0));
  const int lights = static_cast<int>(state.range(1));
  FillScene(sprites, lights);
  GraphicsDevice* device = GetGraphicsDevice();
  platform::GpuDevice& gpu = device->Gpu();
  BuildProjection(1280.0f / 720.0f);
  gpu.ResetStats();
  for (auto _ : state) {
    device->BeginScene();
    MainCamera().Render();
    device->BindAlphaBlending();
    UpdateObjects(0.016f);
    FlushSprites();
    gpu.Finish();
  }
  const double frames = static_cast<double>(state.iterations());
  state.counters["draws_per_frame"] = static_cast<double>(gpu.Stats().drawCalls) / frames;
  state.counters["uniform_uploads_per_frame"] = static_cast<double>(gpu.Stats().uniformUploads) / frames;
  ClearObjects();
}

// The side-by-side scene of bench/peer_sprites.sh: N sprites of one picture, alpha-blended, 20 x 20
// unrotated or 43 x 116 turned, as screen furniture (unlit, like the peers' sprites).
void BM_PeerSprites(benchmark::State& state) {
  const std::string& problem = StartRig();
  if (!problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  const int sprites = static_cast<int>(state.range(0));
  const bool big = state.range(1) != 0;
  ClearObjects();
  // World units per pixel at z = 0 (the camera's 45 degrees over 720 pixels from 1000 units away).
  const float unit = 828.427f / 720.0f;
  for (int i = 0; i < sprites; ++i) {
    float x = static_cast<float>((i * 37) % 1280 - 640) * unit;
    float y = static_cast<float>(360 - (i * 53) % 720) * unit;
    auto* sprite = new GameObject("Sprite_", x, y, 0.0f, (big ? 43.0f : 20.0f) * unit, (big ? 116.0f : 20.0f) * unit,
                                  ObjectType::UI);
    if (big) sprite->GetTransform()->rotation = static_cast<float>((i * 7) % 360);
    sprite->AddComponent(new Model("food.png"));
    AddObject(sprite);
  }
  GraphicsDevice* device = GetGraphicsDevice();
  platform::GpuDevice& gpu = device->Gpu();
  BuildProjection(1280.0f / 720.0f);
  gpu.ResetStats();
  for (auto _ : state) {
    device->BeginScene();
    MainCamera().Render();
    device->BindAlphaBlending();
    UpdateObjects(0.016f);
    FlushSprites();
    gpu.Finish();
  }
  state.counters["draws_per_frame"] = static_cast<double>(gpu.Stats().drawCalls) / static_cast<double>(state.iterations());
  ClearObjects();
}

BENCHMARK(BM_PeerSprites)
    ->ArgsProduct({{500, 2000, 8000, 32000}, {0, 1}})
    ->ArgNames({"sprites", "big"})
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_LitSprites)
    ->ArgsProduct({{500, 2000, 8000}, {0, 8, 64}})
    ->ArgNames({"sprites", "lights"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  StopRig();
  benchmark::Shutdown();
  return 0;
}
