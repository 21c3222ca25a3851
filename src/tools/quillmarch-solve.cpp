// quillmarch-solve: finds a winning run of a level and writes it as an input script.
//
//   quillmarch-solve LEVEL OUT.qinput [--scene ID] [--data DIR] [--budget SECONDS] [--route FILE]
//
// The game itself runs here, headless, from the level's first frame with a fixed frame time of 0.02 s
// and seed 1, exactly as `quillmarch --headless --scene ID --fixed-dt 0.02 --seed 1 --input OUT`
// replays it: every frame's input is handed to the game through the input-script player and the
// main loop's own pass runs the frame. Nothing is bent: normal tuning, no developer keys, no
// invulnerability.
//
// The plan is a list of legs: walk to a piece of food, pick it up, carry it into the collection
// zone, until the goal is met; then walk to the escape zone. The pieces are chosen by a search: at
// each choice pieces are tried in turn, each in a forked branch that plays on to the end, so a
// piece that leads into a dead end later is given up for another. The first round tries the three
// cheapest at each choice; later rounds try every piece still lying about (one that failed from
// one place is offered again from the next) and look harder at each leg, until the budget is spent
// or no leg was turned back by the guards. Each leg follows a route over a grid of 13-unit cells
// kept clear of walls, glass, closed barriers and kill zones. The last line says how it ended:
// "result: won: ..." or "result: not won: " and the furthest failure (the piece it could not
// reach or carry, the escape it could not make, and why).
//
// A leg is first planned in space and time: a forked copy of the game, with the player put outside
// the walls, plays on for 80 s and reports where every guard stands and faces on each frame (the
// guards walk the same whatever the player does until one notices it). A search over (cell, frame)
// then finds the earliest arrival that never stands in a guard's cone within its reach and in plain
// sight, nor next to a guard, waiting where needed; cover (and vents, unless carrying: a vent takes
// the food) hides. The plan keeps a berth round the cones and a few frames either side, and is
// played ahead in a fork before it is played for real; a wider and then a narrower berth are tried
// when it fails. When no timed plan gets through, the older search below takes over. Before a leg is played
// the process forks and the child plays it ahead: the guards are deterministic while nobody has
// noticed the player, so what the child sees is what will happen. A leg on which a guard notices the
// player is tried again after waiting (0 to 24 s), by a hideout, and then on routes that avoid the
// place where the player was noticed; when all of that fails, a guard's glimpse (half alert) is let go
// as long as it never turns into a chase. The first leg that goes through is played for real.
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/FileSync.h"
#include "core/InputScript.h"
#include "gameplay/RankSuggestion.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "tools/solve/PieceSearch.h"
#include "tools/solve/ScriptWriter.h"
#include "tools/solve/SearchState.h"
#include "tools/solve/World.h"

namespace fs = std::filesystem;

using namespace solve;

namespace {

int SceneIdFor(const std::string& level) {
  const std::string name = fs::path(level).filename().string();
  if (name == "level1.json") return 6;
  if (name == "level2.json") return 7;
  if (name == "level3.json") return 8;
  return -1;
}

// Puts the level read from `path` in the place of the scene `sceneId`, so a level that is not one of
// the game's own files (the editor's copy of the level being edited) is played as that scene.
bool SubstituteLevel(const std::string& path, int32_t sceneId) {
  Level* scene = FindSceneById(sceneId);
  if (scene == nullptr) return false;
  std::error_code ec;
  if (fs::equivalent(path, scene->path, ec)) return true;  // already the scene's own file
  std::unique_ptr<Level> loaded = LoadLevel(path);
  if (loaded == nullptr) return false;
  const int32_t index = scene->sceneIndex;
  *scene = std::move(*loaded);
  scene->sceneIndex = index;
  scene->sceneId = sceneId;
  return true;
}

// The folder holding the solver's own executable: the game's data lies beside it in a build.
std::string ExecutableFolder(const char* argv0) {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) self = fs::absolute(argv0, ec);
  return self.parent_path().string();
}

}  // namespace

// Exit codes: 0 won (the script is written), 1 not won (the last line says why), 2 bad usage,
// 3 the level or the game's data could not be read.
int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::string level, out, data, routeFile;
  int32_t sceneId = -1;
  double budget = 900.0;  // seconds the solver may search
  bool usageError = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--scene" && i + 1 < args.size()) {
      sceneId = std::atoi(args[++i].c_str());
    } else if (args[i] == "--budget" && i + 1 < args.size()) {
      budget = std::atof(args[++i].c_str());
    } else if (args[i] == "--data" && i + 1 < args.size()) {
      data = args[++i];
    } else if (args[i] == "--route" && i + 1 < args.size()) {
      routeFile = args[++i];
    } else if (level.empty()) {
      level = args[i];
    } else if (out.empty()) {
      out = args[i];
    } else {
      usageError = true;
    }
  }
  if (usageError || level.empty() || out.empty() || !(budget > 0.0) || (sceneId >= 0 && (sceneId < 6 || sceneId > 8))) {
    std::fprintf(stderr,
                 "usage: quillmarch-solve LEVEL OUT.qinput [--scene ID] [--data DIR] [--budget SECONDS] [--route FILE]\n"
                 "  LEVEL is any level file; it is played as scene ID (6, 7 or 8; by default the scene whose\n"
                 "  file it is, else 6) with the game's data from DIR (by default the folder two above a\n"
                 "  level in Assets/Levels, else the solver's own folder). --route writes the player's way.\n");
    return 2;
  }
  if (sceneId < 0) sceneId = SceneIdFor(level);
  if (sceneId < 0) sceneId = 6;
  std::error_code ec;
  if (!fs::is_regular_file(level, ec)) {
    std::printf("result: not won: the level file %s cannot be read\n", level.c_str());
    return 3;
  }
  level = fs::absolute(level).string();
  if (data.empty()) {
    // A level among the game's own files, else the data beside the solver (the editor's copy).
    const fs::path above = (fs::path(level).parent_path() / ".." / "..").lexically_normal();
    data = fs::exists(above / "Assets" / "Attributes", ec) ? above.string() : ExecutableFolder(argv[0]);
  }
  out = fs::absolute(out).string();
  if (!routeFile.empty()) routeFile = fs::absolute(routeFile).string();
  // The run is written after a search that may take minutes: a place it cannot go is said now.
  const bool outIsFolder = fs::is_directory(out, ec);
  if (outIsFolder || !files::CanCreateFilesIn(fs::path(out).parent_path().string())) {
    std::printf("result: not won: cannot write %s: %s\n", out.c_str(),
                outIsFolder ? "it is a folder" : "its folder is missing or takes no new files");
    return kCannotWrite;
  }

  const auto started = std::chrono::steady_clock::now();
  gDeadline = started + std::chrono::milliseconds(static_cast<int64_t>(budget * 1000.0));
  if (!StartGame(data, sceneId)) {
    std::printf("result: not won: the game could not start with the data in %s\n", data.c_str());
    return 3;
  }
  if (!SubstituteLevel(level, sceneId)) {
    std::printf("result: not won: the level file %s cannot be read\n", level.c_str());
    return 3;
  }
  const bool won = Solve();
  if (gWonByBranch) {
    std::fflush(stdout);
    _exit(0);  // the winning branch wrote the script
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  Game& game = TheGame();
  // A few frames of the end scene, so a replay ends on it.
  for (int i = 0; won && i < 5; ++i) Step(InputFrame{});
  float total = 0.0f;
  const char rank = Rank(game, &total);
  if (!WriteScript(game, won, sceneId, total, rank, out, routeFile)) {
    std::fflush(stdout);  // the last line says why, for whoever reads it through a pipe
    _exit(kCannotWrite);
  }
  std::printf("%s: %s, %lld frames (%.1f s of play), solved in %.1f s\n", out.c_str(), won ? "won" : "NOT won",
              static_cast<long long>(game.played.FrameCount()), game.played.FrameCount() * kFrameSeconds, seconds);
  // The last line says how it ended, for whoever started the solver (the editor reads it).
  if (won) {
    const RankThresholds ranks = SuggestRankThresholds(total);
    std::printf("result: won: total %.2f s, suggested S %.0f A %.0f B %.0f\n", total, ranks.s, ranks.a, ranks.b);
  } else {
    const bool outOfTime = PastDeadline();
    std::printf("result: not won: %s%s\n", gFailure.delivered >= 0 ? gFailure.text : "no way through was found",
                outOfTime ? " (the whole budget was spent)" : " (every piece and every way was tried)");
  }
  // Leave without tearing the game down: the run is over and its state is of no further use.
  std::fflush(stdout);
  _exit(won ? 0 : 1);
}
