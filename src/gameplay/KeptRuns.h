// Kept runs: every finished run of a level (won or lost) is an input script in the per-user folder
// ("Runs/run-000042-level1.qinput"), with what a replay needs to be exact and to be refused when it
// cannot be: the level, the hash of the level file it was played on, the game's version and the
// random seed of the level's start. The last kKeptRuns runs are kept, and each level's best run as
// "Runs/best-level1.qinput". The game ships a run of each level ("Assets/Runs/level1.qinput"), for
// the player who has none and for the main menu's attract mode.
//
// The facts are comment lines of the script, so a kept run plays with --input as it is:
//
//   qinput 1
//   # run level1 scene 6
//   # level-hash 8c3f0e1a92b4d710
//   # version 0.1.0
//   # seed 123456
//   # result won 105.78 s
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/InputScript.h"

inline constexpr size_t kKeptRuns = 20;
inline constexpr const char* kRunsFolder = "Runs";

struct RunInfo {
  std::string level;      // the level's record name ("level1")
  int sceneId = 0;        // the scene the run starts in
  std::string levelHash;  // LevelFileHash of the level file it was played on
  std::string version;    // the game's version that played it; empty for a shipped run
  uint32_t seed = 0;      // the random source's seed at the level's start
  bool hasSeed = false;
  bool won = false;
  float total = 0.0f;     // the graded total of a won run, in seconds
  std::string rank;       // its rank
};

// The hash of a level file's bytes: 16 lower-case hex digits (64-bit FNV-1a). Empty when the file
// cannot be read.
std::string LevelFileHash(const std::string& path);
std::string TextHash(const std::string& bytes);

// The text of a kept run.
std::string RunFileText(const RunInfo& info, const InputScript& script);
// Reads a kept run: its facts and its script. False with the reason when the text is not an input
// script or does not say which level it is a run of.
bool ReadRunFile(const std::string& text, RunInfo* info, InputScript* script, std::string* why);
// Reads the file at `path` the same way; the reason names the file.
bool LoadRunFile(const std::string& path, RunInfo* info, InputScript* script, std::string* why);

// Why `run` cannot be replayed on the level file as it is now (hash `levelHash`) by this version of
// the game, in a sentence for the player; empty when it can. A shipped run carries no version.
std::string ReplayRefusal(const RunInfo& run, const std::string& levelHash, const std::string& version);

// Writes a finished run as the newest kept run and forgets all but the last kKeptRuns; with `best`
// it is also the level's best run. False with the reason when a file could not be written.
bool KeepRun(const RunInfo& info, const InputScript& script, bool best, std::string* why);
// The kept runs, oldest first (full paths).
std::vector<std::string> KeptRunFiles();
// The level's best run in the per-user folder; empty when the player has none (or no folder).
std::string BestRunPath(const std::string& level);
// The run the game ships for the level, in the data folder.
std::string ShippedRunPath(const std::string& level);
