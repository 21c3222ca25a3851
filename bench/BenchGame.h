// What the whole-game benchmarks share: the scripted route through the last shipped level, and a
// run of the whole program in-process (as if started from the command line), timed.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/Application.h"
#include "graphics/Camera.h"
#include "graphics/GraphicsDevice.h"
#include "graphics/SpriteBatch.h"
#include "objects/ObjectManager.h"
#include "platform/GameFolders.h"
#include "platform/Platform.h"

namespace bench {

// Where a frame's time went, summed over frames, in milliseconds: the object pass that asks for
// the quads (the batch works out its decisions here), the send (the batch's draws, and the
// software renderer's vertex stage and binning, all on this thread), and the wait for the pixels.
struct FramePhases {
  double objects = 0.0;
  double send = 0.0;
  double pixels = 0.0;
};

// One finished frame of whatever objects are loaded: the object pass with drawing, the batch sent
// as the frame's end (as the game's frame sends it), and a wait for the GPU, so the time counts the
// pixels too. With `phases`, each part's time is added to it.
inline void DrawFinishedFrame(FramePhases* phases = nullptr) {
  using Clock = std::chrono::steady_clock;
  auto since = [](Clock::time_point from) { return std::chrono::duration<double, std::milli>(Clock::now() - from).count(); };
  GraphicsDevice* device = GetGraphicsDevice();
  device->BeginScene();
  MainCamera().Render();
  device->BindAlphaBlending();
  Clock::time_point start = Clock::now();
  UpdateObjects(0.016f);
  if (phases != nullptr) phases->objects += since(start);
  start = Clock::now();
  FinishSpriteFrame();
  if (phases != nullptr) phases->send += since(start);
  start = Clock::now();
  device->Gpu().Finish();
  if (phases != nullptr) phases->pixels += since(start);
}

// The route through level 3 from the player's start, past the guards: a loop of walks with a pause
// to look around. It lasts 480 frames.
inline constexpr const char* kLevel3Route =
    "qinput 1\n"
    "dt 0.016\n"
    "90 D\n"
    "60 D S\n"
    "90 S\n"
    "30\n"
    "90 A\n"
    "60 W\n"
    "60 W D\n";
inline constexpr int kLevel3Scene = 8;

// The frames of a short and a long run along the route: the long one minus the short one, per
// extra frame, is a frame without start-up and shutdown.
inline constexpr int kShortRun = 20;
inline constexpr int kLongRun = 460;

// The route written to a file in the temporary folder (removed by the destructor).
class RouteFile {
 public:
  explicit RouteFile(const std::string& name) : path_(std::filesystem::temp_directory_path() / name) {
    std::ofstream(path_) << kLevel3Route;
  }
  ~RouteFile() {
    std::error_code ec;
    std::filesystem::remove(path_, ec);
  }
  RouteFile(const RouteFile&) = delete;
  RouteFile& operator=(const RouteFile&) = delete;
  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

// Runs the whole program on `scene` for `frames` frames with seed 1 and the game's data beside
// the benchmark; headless or in a 1280x720 window. `extra` switches are appended. Seconds taken.
inline double RunGameTimed(int scene, int frames, bool headless, const std::vector<std::string>& extra) {
  // The player's folder of the benchmarks is their own: the real one's settings must not change
  // what is measured, and nothing is written to the home of whoever runs them.
  static const bool ownUserFolder =
      (SetUserFolder((std::filesystem::temp_directory_path() / "qm-bench-user").string()), true);
  (void)ownUserFolder;
  const std::string data = platform::ExecutableDirectory() + "..";
  std::vector<std::string> args = {"quillmarch", "--scene", std::to_string(scene), "--frames", std::to_string(frames),
                                   "--seed",     "1",       "--no-dialogs",        "--data",   data};
  if (headless) {
    args.push_back("--headless");
  } else {
    args.insert(args.end(), {"--windowed", "--size", "1280x720"});
  }
  args.insert(args.end(), extra.begin(), extra.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  const auto start = std::chrono::steady_clock::now();
  RunGame(static_cast<int>(argv.size()), argv.data());
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace bench
