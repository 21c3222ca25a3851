#include "tools/solve/World.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/Application.h"
#include "app/ScriptedInput.h"
#include "core/Input.h"
#include "core/Logger.h"
#include "core/Options.h"
#include "gameplay/Behavior.h"
#include "gameplay/BehaviorStates.h"
#include "gameplay/GameplayHooks.h"
#include "objects/GameObject.h"
#include "objects/ObjectManager.h"
#include "objects/Transform.h"
#include "platform/Platform.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "tools/solve/SearchState.h"
#include "ui/UiHooks.h"

namespace fs = std::filesystem;

namespace solve {

std::string Coordinates(Point p) {
  char text[48];
  std::snprintf(text, sizeof text, "%.0f, %.0f", p.x, p.y);
  return text;
}

Game& TheGame() {
  static Game game;
  return game;
}

bool StartGame(const std::string& data, int32_t sceneId) {
  RunOptions options;
  options.headless = true;
  options.noDialogs = true;
  options.sceneId = sceneId;
  options.fixedDt = static_cast<float>(kFrameSeconds);
  options.seed = 1;
  options.dataDir = data;
  SetRunOptions(options);
  PrepareInputScripts(InputScript{}, true, "");
  std::error_code ec;
  fs::current_path(data, ec);
  if (ec) {
    std::fprintf(stderr, "quillmarch-solve: cannot use the data folder %s\n", data.c_str());
    return false;
  }
  platform::InstallPlatform(WrapPlatformForScripts(platform::CreateNullPlatform(1280, 720)));
  ResetKeys();
  ResetPads();
  SetPadReader([](uint32_t index, PadRawState* out) { return platform::GetPlatform().ReadPad(index, out); });
  InstallGameplay();
  InstallUiHooks();
  Game& game = TheGame();
  game.app = std::make_unique<Application>();
  if (!game.app->Initialize()) return false;
  ClearLogSinks();  // the game's log lines are of no use here and would slow the trials down
  return true;
}

bool Step(const InputFrame& input) {
  Game& game = TheGame();
  InputRun run;
  run.frames = 1;
  run.dt = kFrameSeconds;
  run.input = input;
  AppendInputRun(run);
  std::vector<InputRun>& runs = game.played.runs;
  if (!runs.empty() && runs.back().input == input && runs.back().dt == run.dt) {
    ++runs.back().frames;
  } else {
    runs.push_back(run);
  }
  const bool going = game.app->Pass();
  if (const Level* scene = CurrentScene()) {
    if (scene->sceneId >= 6 && scene->sceneId <= 8) {
      if (const GameObject* player = ScenePlayer()) {
        if (const Transform* t = player->GetTransform()) game.route.emplace_back(t->position[0], t->position[1]);
      }
      game.levelTime = scene->time;
      game.foodCollected = scene->foodCollected;
      game.foodCount = scene->foodCount;
      game.thresholds[0] = scene->sRank, game.thresholds[1] = scene->aRank, game.thresholds[2] = scene->bRank;
    } else if (scene->sceneId == kEndSceneId && game.endSceneFrame < 0) {
      game.endSceneFrame = game.played.FrameCount();
    }
  }
  return going;
}

char Rank(const Game& game, float* total) {
  *total = game.levelTime + static_cast<float>(game.foodCount - game.foodCollected) * 30.0f;
  if (*total <= game.thresholds[0]) return 's';
  if (*total <= game.thresholds[1]) return 'a';
  if (*total <= game.thresholds[2]) return 'b';
  return 'c';
}

InputFrame Stick(float x, float y) {
  InputFrame input;
  const float length = std::hypot(x, y);
  if (length > 0.0f) {
    input.leftStickX = static_cast<int16_t>(std::lround(32767.0f * x / length));
    input.leftStickY = static_cast<int16_t>(std::lround(32767.0f * y / length));
  }
  return input;
}

std::vector<GameObject*> ObjectsOf(ObjectType type) {
  std::vector<GameObject*> out;
  for (GameObject* o : Objects()) {
    if (o != nullptr && o->type == type) out.push_back(o);
  }
  return out;
}

Point PositionOf(const GameObject* o) {
  const Transform* t = o->GetTransform();
  return t != nullptr ? Point{t->position[0], t->position[1]} : Point{};
}

int32_t StateOf(const GameObject* o) {
  const Behavior* b = BehaviorOf(o);
  return b != nullptr ? b->currentState : 0;
}

bool InLevel() {
  const Level* scene = CurrentScene();
  return scene != nullptr && scene->sceneId >= 6 && scene->sceneId <= 8;
}

GameObject* Player() { return ScenePlayer(); }

bool Tap(InputFrame input) { return Step(input) && Step(InputFrame{}); }

bool Noticed() {
  const Level* scene = CurrentScene();
  if (scene != nullptr && scene->gameOver) return true;
  for (GameObject* guard : ObjectsOf(ObjectType::Enemy)) {
    const int32_t s = StateOf(guard);
    // A full meter (the grace before the chase) always ends in a chase or a search.
    if (s == human_state::kGrace || s == human_state::kFullAlert || s == human_state::kGiveUp) return true;
    if (s == human_state::kHalfAlert && !gLetGlimpsesGo) return true;
  }
  return false;
}

}  // namespace solve
