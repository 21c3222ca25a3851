// The frame time of the shipped level 3 with the guards' vision cones and arrows drawn and without
// them, the whole program in-process on OpenGL through SDL's offscreen driver at 1280x720 (run with
// SDL_VIDEODRIVER=offscreen where there is no display), the player walking a scripted route past the
// guards. Also reports the sight rays the cones cast per frame.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "gameplay/Sight.h"
#include "platform/Platform.h"

namespace {

constexpr const char* kRoute =
    "qinput 1\n"
    "dt 0.016\n"
    "90 D\n"
    "60 D S\n"
    "90 S\n"
    "30\n"
    "90 A\n"
    "60 W\n"
    "60 W D\n";

// Runs level 3 for `frames` frames in a window of the offscreen driver; the seconds it took.
double RunLevel3(int frames, const std::string& route, bool cones, uint64_t* rays) {
  const std::string data = platform::ExecutableDirectory() + "..";
  std::vector<std::string> args = {"quillmarch", "--scene", "8", "--frames", std::to_string(frames), "--seed", "1",
                                   "--input", route, "--no-dialogs", "--data", data, "--windowed", "--size", "1280x720"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  // The game reads the switches from the settings file in the folder it starts in.
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "qm-bench-cones";
  std::filesystem::create_directories(folder);
  const char* value = cones ? "true" : "false";
  std::ofstream(folder / "Settings.lullwick") << "fullscreen = false\nvision_cones = " << value
                                               << "\nspotter_arrows = " << value << "\n";
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  RaysCast() = 0;
  auto start = std::chrono::steady_clock::now();
  RunGame(static_cast<int>(argv.size()), argv.data());
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::filesystem::current_path(previous);
  *rays = RaysCast();
  return seconds;
}

// A long run minus a short one, per extra frame: the frame without start-up and shutdown.
void BM_Level3Frame(benchmark::State& state, bool cones) {
  const std::string route = (std::filesystem::temp_directory_path() / "qm-bench-cones.qinput").string();
  std::ofstream(route) << kRoute;
  constexpr int kShort = 20;
  constexpr int kLong = 460;
  uint64_t shortRays = 0, longRays = 0;
  for (auto _ : state) {
    const double shortRun = RunLevel3(kShort, route, cones, &shortRays);
    const double longRun = RunLevel3(kLong, route, cones, &longRays);
    state.SetIterationTime((longRun - shortRun) / (kLong - kShort));
  }
  state.counters["rays_per_frame"] = static_cast<double>(longRays - shortRays) / (kLong - kShort);
  std::filesystem::remove(route);
  std::filesystem::remove_all(std::filesystem::temp_directory_path() / "qm-bench-cones");
}

BENCHMARK_CAPTURE(BM_Level3Frame, offscreen_1280x720_cones, true)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Level3Frame, offscreen_1280x720_no_cones, false)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
