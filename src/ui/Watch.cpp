#include "ui/Watch.h"

#include <utility>

#include "core/AppHooks.h"
#include "core/EditorLink.h"
#include "core/FrameClock.h"
#include "core/Input.h"
#include "core/KeyCodes.h"
#include "core/Logger.h"
#include "core/Options.h"
#include "core/ReplayHooks.h"
#include "gameplay/KeptRuns.h"
#include "gameplay/PlayerRecords.h"
#include "gameplay/RunKeeper.h"
#include "gameplay/ScreenLabel.h"
#include "graphics/Graphics.h"
#include "objects/ObjectHandle.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "widgets/MenuParts.h"

namespace {

constexpr uint32_t kCentred = 1;
constexpr float kBannerY = 262.0f;
constexpr float kBannerGlyph = 30.0f;
constexpr float kHintY = -318.0f;
constexpr float kHintGlyph = 18.0f;
constexpr float kPlateOpacity = 0.75f;
constexpr int kShippedLevels[] = {scene_id::kLevel1, scene_id::kLevel2, scene_id::kLevel3};

struct WatchModule {
  bool watching = false;
  bool attract = false;
  int sceneId = 0;
  RunInfo info;
  int speed = 1;
  bool paused = false;
  bool gamePausedBefore = false;  // the game's own paused flag when the watch paused it
  int passInFrame = 0;
  ObjectHandle banner;
  float idle = 0.0f;
  int32_t lastMouseX = 0, lastMouseY = 0;
  size_t nextAttract = 0;
};

WatchModule& Module() {
  static WatchModule module;
  return module;
}

// The replay player (the application's scripted input); without one no replay plays.
void PlayReplay(const InputScript& script, ReplayControls controls, std::function<void()> onStart) {
  auto play = GetReplayHooks().playReplay;
  if (play != nullptr) play(script, std::move(controls), std::move(onStart));
}

void StopReplay() {
  if (GetReplayHooks().stopReplay != nullptr) GetReplayHooks().stopReplay();
}

void HoldReplay(bool held) {
  if (GetReplayHooks().holdReplay != nullptr) GetReplayHooks().holdReplay(held);
}

bool IsLevelId(int id) { return id == scene_id::kLevel1 || id == scene_id::kLevel2 || id == scene_id::kLevel3; }

std::string BannerText() {
  const WatchModule& m = Module();
  std::string text = "Replay";
  if (m.paused) text += " - paused";
  else if (m.speed > 1) text += " - " + std::to_string(m.speed) + "x";
  return SwapCase(text);
}

void ShowBanner() {
  WatchModule& m = Module();
  const std::string text = BannerText();
  // As wide as its longest text, so that "paused" stays on the plate.
  const float width = static_cast<float>(std::string("Replay - paused").size()) * kBannerGlyph + 40.0f;
  if (GameObject* banner = m.banner) {
    SetScreenLabel(banner, text, kBannerGlyph, kCentred);
    return;
  }
  GameObject* banner = CreateScreenLabel(0.0f, kBannerY, width, kBannerGlyph + 16.0f, text, kBannerGlyph, kCentred);
  SetScreenPlate(banner, kPlateOpacity);
  UseLightLabelFont(banner);
  m.banner = banner;
  const std::string hint = m.attract ? SwapCase("Press any key")
                                     : SwapCase("Esc or B back   P or Start pause   1 2 4 or RB speed");
  GameObject* line = CreateScreenLabel(0.0f, kHintY, static_cast<float>(hint.size()) * kHintGlyph + 30.0f,
                                       kHintGlyph + 12.0f, hint, kHintGlyph, kCentred);
  SetScreenPlate(line, kPlateOpacity);
  UseLightLabelFont(line);
}

void SetWatchPaused(bool paused) {
  WatchModule& m = Module();
  if (m.paused == paused) return;
  m.paused = paused;
  if (paused) m.gamePausedBefore = IsPaused();
  // The game stands still (no update, no time) and the replay's playhead with it, so the run goes
  // on exactly where it stopped.
  SetPaused(paused ? true : m.gamePausedBefore);
  SetReplayHalt(paused);
  HoldReplay(paused);
  ShowBanner();
}

void StopWatching() {
  WatchModule& m = Module();
  if (!m.watching) return;
  if (m.paused) SetWatchPaused(false);
  StopReplay();
  SetReplayHalt(false);
  // The replayed run may have opened its pause menu; the menus are not paused.
  SetPaused(false);
  m.watching = false;
  m.attract = false;
  m.speed = 1;
  SetPresentWaits(true);
  m.banner = ObjectHandle();
}

void SetSpeed(int speed) {
  Module().speed = speed;
  Module().passInFrame = 0;
  SetPresentWaits(true);
  ShowBanner();
}

// What the player does while watching (called as the frame's input is read).
void OnWatchControl(int key, uint16_t padButtons) {
  WatchModule& m = Module();
  if (!m.watching) return;
  if (m.attract) {
    StopWatching();
    RequestSceneById(scene_id::kMainMenu);
    return;
  }
  const bool back = key == vk::Escape || (padButtons & kPadButtonMasks[PadB]) != 0;
  if (back) {
    StopWatching();
    RequestSceneById(scene_id::kLevelSelect);
    return;
  }
  if (key == vk::Letter('P') || key == vk::Space || (padButtons & kPadButtonMasks[PadStart]) != 0) {
    SetWatchPaused(!m.paused);
  }
  if (key == vk::Digit(1)) SetSpeed(1);
  if (key == vk::Digit(2)) SetSpeed(2);
  if (key == vk::Digit(4)) SetSpeed(4);
  if (key == vk::Tab || (padButtons & kPadButtonMasks[PadRightShoulder]) != 0) SetSpeed(m.speed >= 4 ? 1 : m.speed * 2);
}

// Loads the run at `path` for `level` and checks it against the level file and this version.
bool LoadPlayable(const std::string& path, const Level& level, RunInfo* info, InputScript* script,
                  std::string* refusal) {
  std::string why;
  if (!LoadRunFile(path, info, script, &why)) {
    LogProblem("Cannot watch " + path + ": " + why, LogLevel::Warning);
    *refusal = "This replay could not be read";
    return false;
  }
  if (info->sceneId != level.sceneId || info->level != LevelRecordName(level)) {
    *refusal = "This replay is a run of another level";
    return false;
  }
  *refusal = ReplayRefusal(*info, LevelFileHash(level.path), GameVersion());
  if (!refusal->empty()) {
    LogProblem("Refused the replay " + path + ": " + *refusal, LogLevel::Warning);
    return false;
  }
  return true;
}

bool StartWatching(const Level& level, const std::string& path, bool attract, std::string* refusal) {
  RunInfo info;
  InputScript script;
  if (!LoadPlayable(path, level, &info, &script, refusal)) return false;
  StopWatching();
  WatchModule& m = Module();
  m.watching = true;
  m.attract = attract;
  m.sceneId = level.sceneId;
  m.info = info;
  m.speed = 1;
  m.paused = false;
  m.idle = 0.0f;
  const int id = level.sceneId;
  PlayReplay(script, OnWatchControl, [id] { RequestSceneById(id); });
  return true;
}

// ---- scene hooks ----------------------------------------------------------------------------------

void OnSceneStarted(Level& scene) {
  WatchModule& m = Module();
  if (m.watching) {
    if (scene.sceneId == m.sceneId) {
      BeginReplayedRun(scene, m.info.hasSeed, m.info.seed);
      m.banner = ObjectHandle();
      ShowBanner();
      return;
    }
    if (scene.sceneId == scene_id::kEndScene || scene.sceneId == scene_id::kGameOver) {
      m.banner = ObjectHandle();
      ShowBanner();
      return;
    }
    StopWatching();
  }
  if (scene.sceneId == scene_id::kMainMenu) m.idle = 0.0f;
  if (IsLevelId(scene.sceneId)) {
    BeginLevelRun(scene);
  } else {
    DropLevelRun();
  }
}

void OnLevelRunEnded(Level& scene, bool won) {
  WatchModule& m = Module();
  if (!m.watching) {
    EndLevelRun(scene, won);
    return;
  }
  if (m.attract) {
    StopWatching();
    RequestSceneById(scene_id::kMainMenu);
  }
}

int SceneAfterEndScene() { return Module().watching ? scene_id::kLevelSelect : 0; }

bool SkipPacing() {
  WatchModule& m = Module();
  if (!m.watching || m.speed <= 1) return false;
  m.passInFrame = (m.passInFrame + 1) % m.speed;
  // Only the last frame of each group waits for the display.
  SetPresentWaits(m.passInFrame == m.speed - 1);
  return m.passInFrame != 0;
}

bool AnyInput() {
  const InputTables& input = Input();
  for (bool key : input.keys) {
    if (key) return true;
  }
  const PadState& pad = input.pads[0];
  if (input.mouse.left || input.mouse.right || pad.state.buttons != 0) return true;
  if (pad.leftStick[0] != 0.0f || pad.leftStick[1] != 0.0f || pad.rightStick[0] != 0.0f || pad.rightStick[1] != 0.0f) {
    return true;
  }
  WatchModule& m = Module();
  const bool moved = input.mouse.x != m.lastMouseX || input.mouse.y != m.lastMouseY;
  m.lastMouseX = input.mouse.x;
  m.lastMouseY = input.mouse.y;
  return moved;
}

}  // namespace

bool WatchLevel(int sceneId, std::string* refusal) {
  const Level* level = FindSceneById(sceneId);
  if (level == nullptr || !IsLevelId(sceneId)) {
    *refusal = "There is no such level";
    return false;
  }
  const std::string name = LevelRecordName(*level);
  std::string path = BestRunPath(name);
  if (path.empty()) path = ShippedRunPath(name);
  return StartWatching(*level, path, false, refusal);
}

bool StartAttract() {
  WatchModule& m = Module();
  for (size_t tried = 0; tried < std::size(kShippedLevels); ++tried) {
    const int id = kShippedLevels[m.nextAttract++ % std::size(kShippedLevels)];
    const Level* level = FindSceneById(id);
    std::string refusal;
    if (level != nullptr && StartWatching(*level, ShippedRunPath(LevelRecordName(*level)), true, &refusal)) return true;
  }
  return false;
}

void TickMainMenuIdle(float seconds) {
  WatchModule& m = Module();
  if (m.watching) return;
  if (AnyInput()) {
    m.idle = 0.0f;
    return;
  }
  m.idle += seconds;
  if (m.idle >= kAttractDelay) {
    m.idle = 0.0f;
    StartAttract();
  }
}

bool Watching() { return Module().watching; }
int WatchSpeed() { return Module().speed; }
bool WatchPaused() { return Module().paused; }

void InstallWatchHooks() {
  SceneHooks& scenes = GetSceneHooks();
  scenes.sceneStarted = OnSceneStarted;
  scenes.levelRunEnded = OnLevelRunEnded;
  scenes.sceneAfterEndScene = SceneAfterEndScene;
  GetApplicationHooks().skipPacing = SkipPacing;
}
