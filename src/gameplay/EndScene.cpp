#include "gameplay/EndScene.h"

#include <algorithm>
#include <cstdint>

#include "app/Logger.h"
#include "gameplay/Hud.h"
#include "gameplay/ScreenLabel.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"

namespace {

constexpr float kWidth = 200.0f;
constexpr float kHeight = 50.0f;
constexpr uint32_t kLeft = 0, kCentred = 1, kRight = 2;
constexpr float kButtonY = -110.0f;
constexpr float kButtonGlyph = 20.0f;

struct EndLine {
  float x, y;
  float size;
  uint32_t alignment;
};

void Label(const EndLine& line, const std::string& text) {
  CreateScreenLabel(line.x, line.y, kWidth, kHeight, text, line.size, line.alignment);
}

// A title over a "main menu" button: the game-over and win screens.
void BuildClosingScreen(const std::string& title) {
  CreateScreenLabel(0.0f, 0.0f, kWidth, kHeight, title, 60.0f, kCentred);
  CreateScreenButton(0.0f, kButtonY, kWidth, kHeight, "main menu", kButtonGlyph, kCentred, "goto_main", true);
}

}  // namespace

std::string RankFor(float total, const Level& level) {
  if (total <= level.sRank) return "s";
  if (total <= level.aRank) return "a";
  if (total <= level.bRank) return "b";
  return "c";
}

LevelScore ScoreLevel(const Level& level) {
  LevelScore score;
  score.baseTime = level.time;
  // Food delivered beyond the level's own (placed while the level ran) earns nothing back.
  const int32_t left = std::max(level.foodCount - level.foodCollected, 0);
  score.penalty = static_cast<float>(left) * kUncollectedFoodPenalty;
  score.total = score.penalty + score.baseTime;
  score.rank = RankFor(score.total, level);
  return score;
}

void BuildEndScene() {
  static const Level kNoLevel;
  const Level* found = FindSceneById(SceneState().lastLevelId);
  const Level& level = found != nullptr ? *found : kNoLevel;
  const LevelScore score = ScoreLevel(level);

  Label({-200.0f, 150.0f, 20.0f, kRight}, "bASE tIME:");
  Label({-200.0f, 125.0f, 20.0f, kRight}, FormatTime(score.baseTime));
  Label({-200.0f, 90.0f, 20.0f, kRight}, "fOOD cOLLECTED:");
  Label({-200.0f, 65.0f, 20.0f, kRight},
        std::to_string(level.foodCollected) + "/" + std::to_string(level.foodGoal));
  Label({-200.0f, 30.0f, 15.0f, kRight}, "tIME MODIFIER: +" + FormatTime(score.penalty));
  Label({-200.0f, -20.0f, 50.0f, kCentred}, FormatTime(score.total));
  Label({200.0f, 0.0f, 20.0f, kLeft}, "rANQUE:");
  Label({230.0f, 0.0f, 40.0f, kRight}, score.rank);
  CreateScreenButton(0.0f, kButtonY, kWidth, kHeight, "continue", kButtonGlyph, kCentred, "next_level", false);
  // The grade in one line, for level designers tuning their thresholds (and for scripted runs).
  Log("End scene: base " + FormatTime(score.baseTime) + ", food " + std::to_string(level.foodCollected) + "/" +
          std::to_string(level.foodGoal) + ", modifier +" + FormatTime(score.penalty) + ", total " +
          FormatTime(score.total) + ", rank " + score.rank,
      LogLevel::Debug);
}

void BuildGameOver() { BuildClosingScreen("game over"); }
void BuildYouWin() { BuildClosingScreen("you win!!"); }
