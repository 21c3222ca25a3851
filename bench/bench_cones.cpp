// The frame time of the shipped level 3 with the guards' vision cones and arrows drawn and without
// them, the whole program in-process on OpenGL through SDL's offscreen driver at 1280x720 (run with
// SDL_VIDEODRIVER=offscreen where there is no display), the player walking a scripted route past the
// guards. Also reports the sight rays the cones cast per frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "BenchGame.h"
#include "gameplay/Sight.h"
#include "platform/Platform.h"
#include "ui/Settings.h"

namespace {

// Runs level 3 along the route in a window of the offscreen driver, with the cones and arrows on or
// off; the seconds it took and the sight rays cast.
double RunLevel3(int frames, const std::string& route, bool cones, uint64_t* rays) {
  // The game reads the switches from the player's settings file.
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "qm-bench-cones";
  std::filesystem::create_directories(folder);
  const char* value = cones ? "true" : "false";
  std::ofstream(folder / "Settings.lullwick") << "fullscreen = false\nvision_cones = " << value
                                               << "\nspotter_arrows = " << value << "\n";
  SetSettingsPath((folder / "Settings.lullwick").string());
  RaysCast() = 0;
  const double seconds = bench::RunGameTimed(bench::kLevel3Scene, frames, false, {"--input", route});
  SetSettingsPath("");
  *rays = RaysCast();
  return seconds;
}

// A long run minus a short one, per extra frame: the frame without start-up and shutdown.
void BM_Level3Frame(benchmark::State& state, bool cones) {
  const bench::RouteFile route("qm-bench-cones.qinput");
  uint64_t shortRays = 0, longRays = 0;
  for (auto _ : state) {
    const double shortRun = RunLevel3(bench::kShortRun, route.Path(), cones, &shortRays);
    const double longRun = RunLevel3(bench::kLongRun, route.Path(), cones, &longRays);
    state.SetIterationTime((longRun - shortRun) / (bench::kLongRun - bench::kShortRun));
  }
  state.counters["rays_per_frame"] = static_cast<double>(longRays - shortRays) / (bench::kLongRun - bench::kShortRun);
  std::filesystem::remove_all(std::filesystem::temp_directory_path() / "qm-bench-cones");
}

BENCHMARK_CAPTURE(BM_Level3Frame, offscreen_1280x720_cones, true)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Level3Frame, offscreen_1280x720_no_cones, false)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
