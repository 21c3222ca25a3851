// Command-line options of the game executable, parsed once at start-up and readable everywhere.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ScreenshotRequest {
  int frame = 0;          // written after this frame (1-based count of frames run)
  std::string file;       // PNG path
};

struct DumpRequest {
  int frame = 1;          // written after this frame (1-based count of frames run)
  std::string file;       // JSON path
};

struct RunOptions {
  bool windowed = false;
  int width = 1280;       // window size with --windowed (or --size)
  int height = 720;
  int frames = -1;        // stop after this many frames; -1 runs until quit
  float fixedDt = -1.0f;  // every frame measures this many seconds; negative measures real time
  // Start at this scene id instead of the first splash screen. Any whole number parses; the game
  // refuses an id that names no scene before it starts.
  std::optional<int> sceneId;
  bool headless = false;  // no window, graphics device or audio device
  std::vector<ScreenshotRequest> screenshots;
  std::optional<uint32_t> seed;
  std::string dataDir;    // folder with Shaders/ and Assets/; empty: the executable's folder
  bool noDialogs = false; // message boxes go to standard error
  // Input scripts and state records. RunGame makes these paths absolute against the folder the
  // game was started in, before it moves to the data folder.
  std::string inputScript;   // --input: a .qinput script replaces keyboard, mouse and pad 0
  std::string recordScript;  // --record: what was played, written as a script at shutdown
  std::string stateLog;      // --state-log: one "frame scene-index hash" line per frame
  std::string watchLog;      // --watch-log: per frame the scene clock, the pause, menus and behaviour states
  std::vector<DumpRequest> dumps;  // --dump-objects N:FILE
  std::vector<DumpRequest> textDumps;  // --dump-texts N:FILE
  // --camera X,Y: a developer framing for screenshots; the camera stays on this world point
  // instead of following the player.
  std::optional<std::pair<float, float>> camera;
  bool help = false;     // --help: print the usage and exit
  bool version = false;  // --version: print the version and exit
};

// Parses argv. On a malformed option returns false and writes a reason to *error.
bool ParseRunOptions(int argc, const char* const* argv, RunOptions* options, std::string* error);
std::string RunOptionsUsage();
// "quillmarch 1.0.0": the game's version, from the build.
std::string VersionLine();
// The game's version alone ("0.1.0"): kept runs carry it, and a replay of another version is refused.
std::string GameVersion();

const RunOptions& GetRunOptions();
void SetRunOptions(const RunOptions& options);
