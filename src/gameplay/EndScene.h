// The screens at the end of a level: the end scene that grades the level just escaped (base time,
// food, time penalty, total and rank, and "continue"), the game-over screen and the win screen. Each
// is built by the scene start of its scene from UI objects; their buttons run named button actions.
#pragma once

#include <string>

struct Level;

// Every piece of food left behind costs this many seconds.
inline constexpr float kUncollectedFoodPenalty = 30.0f;

// A level's grade: base time B (the level's scene time), the penalty P for uncollected food, the
// total T = P + B, and the rank by the level's thresholds.
struct LevelScore {
  float baseTime = 0.0f;
  float penalty = 0.0f;
  float total = 0.0f;
  std::string rank;
};

// "s" when total is at most the level's S threshold, else "a" at most A, else "b" at most B, else
// "c" (lower is better).
std::string RankFor(float total, const Level& level);
LevelScore ScoreLevel(const Level& level);

// The end scene's texts and "continue" button (action "next_level") for the level whose id is the
// scene manager's lastLevelId; without such a level it grades an empty one.
void BuildEndScene();
// "game over" and a "main menu" button (action "goto_main").
void BuildGameOver();
// "you win!!" and a "main menu" button (action "goto_main").
void BuildYouWin();
