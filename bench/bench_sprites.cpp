// N textured, lit sprites under 0, 8 or 64 lights, drawn for real through OpenGL in a 1280 x 720
// window (SDL_VIDEODRIVER=offscreen where there is no display; skipped without a GL context).
// Reports milliseconds per frame and the draw calls and uniform-block uploads per frame.
// BM_PeerSprites is our side of bench/peer_sprites.sh: N unlit sprites drawn at their pictures' own
// size (bench/sprites/, food.png resized by tools/gen_bench_sprites.py), 20 x 20 or 43 x 116 turned.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "BenchGame.h"
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
#include "objects/Transform.h"
#include "platform/Platform.h"

namespace {

// The side-by-side scene's pictures, one per row, each the size the row draws it at.
constexpr const char* kSmallPicture = "food_20x20.png";
constexpr const char* kBigPicture = "food_43x116.png";

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
  // A real sprite of the game, through the platform decoder, and the side-by-side scene's pictures
  // (food.png resized to the size each row draws it at, tools/gen_bench_sprites.py).
  TextureManager::Load("./Assets/food.png");
  for (const char* picture : {kSmallPicture, kBigPicture}) {
    if (TextureManager::Load(std::string(QM_BENCH_SPRITES_DIR "/") + picture) == nullptr) {
      rig.problem = std::string("could not load ") + QM_BENCH_SPRITES_DIR "/" + picture;
      return rig.problem;
    }
  }
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
// unrotated or 43 x 116 turned, as screen furniture (unlit, like the peers' sprites). Each row's
// picture is exactly the size it is drawn at, as a 2-D game's sprites are: a shrunk picture would
// have us blend mipmap levels (dearer per pixel, and a different picture) while the peers, which
// have no mipmaps, drew an aliased one, so the table would not compare the same work.
void FillPeerScene(int sprites, bool big) {
  ClearObjects();
  // World units per pixel at z = 0 (the camera's 45 degrees over 720 pixels from 1000 units away).
  const float unit = 828.427f / 720.0f;
  for (int i = 0; i < sprites; ++i) {
    float x = static_cast<float>((i * 37) % 1280 - 640) * unit;
    float y = static_cast<float>(360 - (i * 53) % 720) * unit;
    auto* sprite = new GameObject("Sprite_", x, y, 0.0f, (big ? 43.0f : 20.0f) * unit, (big ? 116.0f : 20.0f) * unit,
                                  ObjectType::UI);
    if (big) sprite->GetTransform()->rotation = static_cast<float>((i * 7) % 360);
    sprite->AddComponent(new Model(big ? kBigPicture : kSmallPicture));
    AddObject(sprite);
  }
}

using bench::DrawFinishedFrame;

void BM_PeerSprites(benchmark::State& state) {
  const std::string& problem = StartRig();
  if (!problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  FillPeerScene(static_cast<int>(state.range(0)), state.range(1) != 0);
  // The first frame makes each model's GPU state; it is not the cost of a frame.
  DrawFinishedFrame();
  GraphicsDevice* device = GetGraphicsDevice();
  platform::GpuDevice& gpu = device->Gpu();
  BuildProjection(1280.0f / 720.0f);
  gpu.ResetStats();
  bench::FramePhases phases;
  for (auto _ : state) DrawFinishedFrame(&phases);
  const double frames = static_cast<double>(state.iterations());
  state.counters["draws_per_frame"] = static_cast<double>(gpu.Stats().drawCalls) / frames;
  // Where the frame went (ms): this thread's object pass and send, and the wait while the software
  // renderer's threads fill the pixels (bench/peer_sprites.sh sets them beside SFML's).
  state.counters["objects_ms"] = phases.objects / frames;
  state.counters["send_ms"] = phases.send / frames;
  state.counters["pixels_ms"] = phases.pixels / frames;
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

// QM_COUNTED_FRAMES="FRAMES SPRITES BIG" draws exactly FRAMES frames of the side-by-side scene
// (after one warm-up frame) in CountedFrames and exits: run it under
//   valgrind --tool=callgrind --toggle-collect=CountedFrames* (with LP_NUM_THREADS=0)
// for instruction counts that do not depend on the machine's load.
__attribute__((noinline)) void CountedFrames(int frames) {
  for (int i = 0; i < frames; ++i) DrawFinishedFrame();
}

int RunCountedFrames(const char* request) {
  int frames = 0, sprites = 0, big = 0;
  if (std::sscanf(request, "%d %d %d", &frames, &sprites, &big) != 3 || frames <= 0 || sprites < 0) {
    std::fprintf(stderr, "QM_COUNTED_FRAMES wants \"FRAMES SPRITES BIG\"\n");
    return 2;
  }
  const std::string& problem = StartRig();
  if (!problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
  }
  FillPeerScene(sprites, big != 0);
  BuildProjection(1280.0f / 720.0f);
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  DrawFinishedFrame();
  const auto warm = Clock::now();
  platform::GpuDevice& gpu = GetGraphicsDevice()->Gpu();
  gpu.ResetStats();
  CountedFrames(frames);
  const auto end = Clock::now();
  std::printf("frames %d sprites %d big %d draws/frame %.1f first frame %.1f ms, then %.2f ms/frame\n", frames,
              sprites, big, static_cast<double>(gpu.Stats().drawCalls) / frames,
              std::chrono::duration<double, std::milli>(warm - start).count(),
              std::chrono::duration<double, std::milli>(end - warm).count() / frames);
  ClearObjects();
  StopRig();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (const char* request = std::getenv("QM_COUNTED_FRAMES")) return RunCountedFrames(request);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  StopRig();
  benchmark::Shutdown();
  return 0;
}
