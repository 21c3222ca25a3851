#include "tools/solve/ScriptWriter.h"

#include <cstddef>
#include <cstdio>

#include "core/FileSync.h"
#include "core/InputScript.h"

namespace solve {

namespace {

// The route file: the player's position every second frame, one "x y" line each, after a line
// that says what it is.
std::string RouteText(const Game& game) {
  std::string text = "# quillmarch-solve route: x y of the player every 2 frames of 0.02 s\n";
  char line[64];
  for (size_t i = 0; i < game.route.size(); i += 2) {
    std::snprintf(line, sizeof line, "%.1f %.1f\n", game.route[i].first, game.route[i].second);
    text += line;
  }
  return text;
}

}  // namespace

bool WriteScript(const Game& game, bool won, int32_t sceneId, float total, char rank, const std::string& out,
                 const std::string& routeFile) {
  char result[256];
  // Only a won run is expected to reach the end scene with a rank; an unfinished one says so.
  char expect[96];
  if (won) {
    std::snprintf(expect, sizeof expect, "expect scene %d end-scene-frame %lld rank %c", static_cast<int>(sceneId),
                  static_cast<long long>(game.endSceneFrame), rank);
  } else {
    std::snprintf(expect, sizeof expect, "scene %d not won", static_cast<int>(sceneId));
  }
  std::snprintf(result, sizeof result,
                "\n# %s\n# level time %.2f s, food %d of %d, total %.2f s (S %.0f, A %.0f, B %.0f)", expect,
                game.levelTime, game.foodCollected, game.foodCount, total, game.thresholds[0], game.thresholds[1],
                game.thresholds[2]);
  const std::string text = WriteInputScript(game.played, std::string(won ? "winning" : "unfinished") +
                                                             " run of scene " + std::to_string(sceneId) +
                                                             " by quillmarch-solve: --fixed-dt 0.02 --seed 1" +
                                                             result);
  std::printf("%s\n", result + 3);
  std::string why;
  if (!files::ReplaceFileContents(out, text, &why)) {
    std::fprintf(stderr, "quillmarch-solve: cannot write %s: %s\n", out.c_str(), why.c_str());
    std::printf("result: not won: cannot write %s: %s\n", out.c_str(), why.c_str());
    return false;
  }
  if (won && !routeFile.empty() && !files::ReplaceFileContents(routeFile, RouteText(game), &why)) {
    std::fprintf(stderr, "quillmarch-solve: cannot write %s: %s\n", routeFile.c_str(), why.c_str());
  }
  return true;
}

}  // namespace solve
