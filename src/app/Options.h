// Command-line options of the game executable, parsed once at start-up and readable everywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ScreenshotRequest {
  int frame = 0;          // written after this frame (1-based count of frames run)
  std::string file;       // PNG path
};

struct RunOptions {
  bool windowed = false;
  int width = 1280;       // window size with --windowed (or --size)
  int height = 720;
  int frames = -1;        // stop after this many frames; -1 runs until quit
  float fixedDt = -1.0f;  // every frame measures this many seconds; negative measures real time
  int sceneId = -1;       // start at this scene id instead of the first splash screen
  bool headless = false;  // no window, graphics device or audio device
  std::vector<ScreenshotRequest> screenshots;
  std::optional<uint32_t> seed;
  std::string dataDir;    // folder with Shaders/ and Assets/; empty: the executable's folder
  bool noDialogs = false; // message boxes go to standard error
};

// Parses argv. On a malformed option returns false and writes a reason to *error.
bool ParseRunOptions(int argc, const char* const* argv, RunOptions* options, std::string* error);
std::string RunOptionsUsage();

const RunOptions& GetRunOptions();
void SetRunOptions(const RunOptions& options);
