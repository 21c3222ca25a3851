#include "gameplay/EndScene.h"

#include <algorithm>
#include <cstdint>

#include "core/Logger.h"
#include "gameplay/Hud.h"
#include "gameplay/RunKeeper.h"
#include "gameplay/ScreenLabel.h"
#include "scenes/Level.h"
#include "scenes/SceneManager.h"
#include "widgets/MenuParts.h"

namespace {

constexpr float kWidth = 200.0f;
constexpr float kHeight = 50.0f;
constexpr uint32_t kLeft = 0, kCentred = 1, kRight = 2;
constexpr float kButtonY = -110.0f;
constexpr float kButtonGlyph = 20.0f;
// The grade stands on dark plates in the light font: the night sky behind it runs from dark blue
// to a bright horizon, and no one colour of letters reads on all of it.
constexpr float kPlateOpacity = 0.75f;
constexpr float kTitleGlyph = 60.0f;
constexpr float kTitlePad = 40.0f;

struct EndLine {
  float x, y;
  float size;
  uint32_t alignment;
};

// A line of the grade. Its box is as wide as its text (at least the usual 200) and one glyph high,
// growing away from the edge the text keeps: a right-aligned line keeps its right edge where a
// 200-wide box at x would have it, a left-aligned one its left edge.
void Label(const EndLine& line, const std::string& text) {
  const float textWidth = static_cast<float>(text.size()) * line.size;
  const float width = std::max(kWidth, textWidth);
  float x = line.x;
  if (line.alignment == kRight) x = line.x + kWidth * 0.5f - width * 0.5f;
  if (line.alignment == kLeft) x = line.x - kWidth * 0.5f + width * 0.5f;
  GameObject* label = CreateScreenLabel(x, line.y, width, line.size, text, line.size, line.alignment);
  UseLightLabelFont(label);
}

// A button the keys and the pad reach too: selected from the start, and what Escape and pad B
// press.
void OfferButton(GameObject* button) {
  RegisterForNavigation(button);
  RegisterAsBack(button);
}

// A title over a "main menu" button: the game-over and win screens.
void BuildClosingScreen(const std::string& title) {
  const float width = static_cast<float>(title.size()) * kTitleGlyph + kTitlePad;
  GameObject* label = CreateScreenLabel(0.0f, 0.0f, width, kTitleGlyph + kTitlePad * 0.5f, title, kTitleGlyph, kCentred);
  SetScreenPlate(label, kPlateOpacity);
  UseLightLabelFont(label);
  OfferButton(CreateScreenButton(0.0f, kButtonY, kWidth, kHeight, "main menu", kButtonGlyph, kCentred, "goto_main", true));
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

  // Two plates: one under the times and the food, one under the rank.
  CreateScreenPlate(-250.0f, 65.0f, 380.0f, 250.0f, kPlateOpacity);
  CreateScreenPlate(215.0f, 0.0f, 270.0f, 70.0f, kPlateOpacity);
  Label({-200.0f, 150.0f, 20.0f, kRight}, "bASE tIME:");
  Label({-200.0f, 125.0f, 20.0f, kRight}, FormatTime(score.baseTime));
  Label({-200.0f, 90.0f, 20.0f, kRight}, "fOOD cOLLECTED:");
  Label({-200.0f, 65.0f, 20.0f, kRight},
        std::to_string(level.foodCollected) + "/" + std::to_string(level.foodGoal));
  Label({-200.0f, 30.0f, 15.0f, kRight}, "tIME MODIFIER: +" + FormatTime(score.penalty));
  Label({-200.0f, -20.0f, 50.0f, kCentred}, FormatTime(score.total));
  Label({200.0f, 0.0f, 20.0f, kLeft}, "rANQUE:");
  Label({230.0f, 0.0f, 40.0f, kRight}, score.rank);
  if (LastRunSetBest()) {
    // The player's best time for this level so far, now kept in their records.
    CreateScreenPlate(215.0f, -62.0f, 300.0f, 40.0f, kPlateOpacity);
    Label({215.0f, -62.0f, 20.0f, kCentred}, "nEW BEST TIME!");
  }
  // White, as every other screen's buttons are: letters on the bare sky would not read.
  OfferButton(CreateScreenButton(0.0f, kButtonY, kWidth, kHeight, "continue", kButtonGlyph, kCentred, "next_level", true));
  // The grade in one line, for level designers tuning their thresholds (and for scripted runs).
  Log("End scene: base " + FormatTime(score.baseTime) + ", food " + std::to_string(level.foodCollected) + "/" +
          std::to_string(level.foodGoal) + ", modifier +" + FormatTime(score.penalty) + ", total " +
          FormatTime(score.total) + ", rank " + score.rank,
      LogLevel::Debug);
}

void BuildGameOver() { BuildClosingScreen("game over"); }
void BuildYouWin() { BuildClosingScreen("you win!!"); }
