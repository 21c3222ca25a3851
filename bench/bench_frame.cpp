// The object pass with drawing for N untextured objects, once on the null device (headless: the
// game's own cost per draw) and once on OpenGL through SDL's offscreen driver (skipped when no GL
// context can be made; run with SDL_VIDEODRIVER=offscreen where there is no display). Reports
// microseconds per frame. Then the shipped level 3 as the game runs it, with the player walking a
// scripted route: simulation microseconds per frame headless, whole-frame milliseconds offscreen at
// 1280x720.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchGame.h"
#include "app/Application.h"
#include "core/Options.h"
#include "graphics/Camera.h"
#include "graphics/Graphics.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/Model.h"
#include "graphics/SpriteBatch.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "platform/Platform.h"

namespace {

enum class Mode { Headless, OpenGL };

// One graphics start per mode for the whole run; switching modes shuts the other down.
struct Rig {
  Mode mode = Mode::Headless;
  std::unique_ptr<Graphics> graphics;
  std::string problem;
};

Rig& CurrentRig() {
  static Rig rig;
  return rig;
}

void StopRig() {
  Rig& rig = CurrentRig();
  ClearObjects();
  if (rig.graphics) rig.graphics->Shutdown();
  rig.graphics.reset();
  platform::GetPlatform().CloseWindow();
}

// Starts graphics in `mode`; returns an empty string or why it cannot run.
std::string StartRig(Mode mode) {
  Rig& rig = CurrentRig();
  if (rig.graphics && rig.mode == mode) return rig.problem;
  if (rig.graphics) StopRig();
  rig.mode = mode;
  rig.problem.clear();
  RunOptions options;
  options.headless = mode == Mode::Headless;
  SetRunOptions(options);
  if (mode == Mode::Headless) {
    platform::InstallPlatform(platform::CreateNullPlatform(1280, 720));
  } else {
    platform::InstallPlatform(platform::CreateSdlPlatform());
    platform::WindowConfig window;
    window.windowed = true;
    window.noDialogs = true;
    if (!platform::GetPlatform().OpenWindow(window) || !platform::GetPlatform().HasGlContext()) {
      rig.problem = "no OpenGL context: " + platform::GetPlatform().LastError();
    }
  }
  rig.graphics = std::make_unique<Graphics>();
  if (rig.problem.empty() && !rig.graphics->Initialize()) rig.problem = "graphics did not start";
  if (rig.problem.empty() && mode == Mode::OpenGL && GetGraphicsDevice()->IsNull()) rig.problem = "no OpenGL device";
  return rig.problem;
}

void FillScene(int count) {
  ClearObjects();
  for (int i = 0; i < count; ++i) {
    float x = static_cast<float>((i * 37) % 1400 - 700);
    float y = static_cast<float>((i * 53) % 800 - 400);
    auto* object = new GameObject("Wall_", x, y, 0.0f, 20.0f, 20.0f, ObjectType::Wall);
    auto* model = new Model("");
    model->SetColor(0.2f, 0.6f, 0.9f, 1.0f);
    object->AddComponent(model);
    AddObject(object);
  }
}

void BM_ObjectPass(benchmark::State& state, Mode mode) {
  std::string problem = StartRig(mode);
  if (!problem.empty()) {
    state.SkipWithError(problem.c_str());
    return;
  }
  const int count = static_cast<int>(state.range(0));
  FillScene(count);
  BuildProjection(1280.0f / 720.0f);
  for (auto _ : state) bench::DrawFinishedFrame();
  state.counters["objects"] = count;
  ClearObjects();
}

BENCHMARK_CAPTURE(BM_ObjectPass, headless, Mode::Headless)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_ObjectPass, offscreen_gl, Mode::OpenGL)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The cost of a frame of level 3 along the route without the start-up and shutdown: a long run
// minus a short one, per extra frame.
void BM_Level3Route(benchmark::State& state, bool headless) {
  StopRig();
  const bench::RouteFile route("qm-bench-level3.qinput");
  for (auto _ : state) {
    const double shortRun = bench::RunGameTimed(bench::kLevel3Scene, bench::kShortRun, headless, {"--input", route.Path()});
    const double longRun = bench::RunGameTimed(bench::kLevel3Scene, bench::kLongRun, headless, {"--input", route.Path()});
    state.SetIterationTime((longRun - shortRun) / (bench::kLongRun - bench::kShortRun));
  }
}

// Draw calls per frame of the main menu and every shipped level as the game runs it (no input,
// the level's own start), on the null device (what the game asks for) and on OpenGL at 1280x720,
// with what the sprite batch's frame analysis found: quads left out because a later opaque quad
// covers them, draws sent without the depth test, without blending (every pixel opaque) and
// with the nearest texel (pixel centres on texel centres; pixels are screen-box areas, an
// estimate), and how the lit draws' pixel stage takes its lights.
constexpr int kShippedLevels[] = {4, 6, 7, 8};

void BM_LevelDrawCalls(benchmark::State& state, bool headless) {
  StopRig();
  const int scene = static_cast<int>(state.range(0));
  constexpr int kFrames = 120;
  ResetSpriteFrameStats();
  for (auto _ : state) bench::RunGameTimed(scene, kFrames, headless, {"--fixed-dt", "0.016"});
  const platform::GpuStats stats = LastRunGpuStats();
  const SpriteFrameStats& sprites = GetSpriteFrameStats();
  const double frames = stats.frames > 0 ? static_cast<double>(stats.frames) : 1.0;
  state.counters["scene"] = scene;
  state.counters["draws_per_frame"] = static_cast<double>(stats.drawCalls) / frames;
  state.counters["no_depth_draws"] = static_cast<double>(stats.drawsWithoutDepth) / frames;
  state.counters["no_blend_draws"] = static_cast<double>(stats.drawsWithoutBlending) / frames;
  state.counters["buffer_writes_per_frame"] = static_cast<double>(stats.bufferUploads + stats.uniformUploads) / frames;
  state.counters["quads"] = static_cast<double>(sprites.quads) / frames;
  state.counters["hidden_quads"] = static_cast<double>(sprites.hiddenQuads - sprites.offScreenQuads) / frames;
  state.counters["off_screen_quads"] = static_cast<double>(sprites.offScreenQuads) / frames;
  state.counters["kpx"] = sprites.pixels / frames / 1000.0;
  state.counters["hidden_kpx"] = sprites.hiddenPixels / frames / 1000.0;
  state.counters["no_depth_kpx"] = sprites.pixelsWithoutDepth / frames / 1000.0;
  state.counters["no_blend_kpx"] = sprites.pixelsWithoutBlending / frames / 1000.0;
  state.counters["nearest_draws"] = static_cast<double>(sprites.drawsNearest) / frames;
  state.counters["nearest_kpx"] = sprites.pixelsNearest / frames / 1000.0;
  // Lit draws by pixel stage: the lights in slots, or the loop (some quad past the slots).
  state.counters["slot_lit_draws"] = static_cast<double>(sprites.drawsLitBySlots) / frames;
  state.counters["loop_lit_draws"] = static_cast<double>(sprites.drawsLitByLoop) / frames;
  // Unlit draws whose every quad's ambient tint is exactly 1: the texture as sampled.
  state.counters["untinted_draws"] = static_cast<double>(sprites.drawsUntinted) / frames;
}

void ShippedLevels(benchmark::internal::Benchmark* b) {
  for (int scene : kShippedLevels) b->Arg(scene);
}

BENCHMARK_CAPTURE(BM_LevelDrawCalls, null_device, true)
    ->Apply(ShippedLevels)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LevelDrawCalls, gl_1280x720, false)
    ->Apply(ShippedLevels)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(BM_Level3Route, headless_simulation, true)->UseManualTime()->Iterations(3)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Level3Route, offscreen_1280x720, false)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  StopRig();
  benchmark::Shutdown();
  return 0;
}
