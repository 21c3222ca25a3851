// The game as the solver runs it: headless, from the level's first frame, one frame of input at a
// time, each frame kept for the script; and what the solver reads of it on the way (the objects,
// their places and states, whether a guard has noticed the player).
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/InputScript.h"
#include "objects/ObjectType.h"

class Application;
class GameObject;

namespace solve {

constexpr double kFrameSeconds = 0.02;
constexpr int32_t kEndSceneId = 5;

struct Point {
  float x = 0.0f, y = 0.0f;
};
inline float Distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }
// "x, y" to the nearest unit, for the report.
std::string Coordinates(Point p);

struct Game {
  std::unique_ptr<Application> app;
  InputScript played;  // every frame handed to the game so far
  // The level as it stood on its last frame: what the end scene grades.
  float levelTime = 0.0f;
  int32_t foodCollected = 0, foodCount = 0;
  float thresholds[3] = {0.0f, 0.0f, 0.0f};
  int64_t endSceneFrame = -1;  // the first frame played in the end scene
  std::vector<std::pair<float, float>> route;  // the player's position on every frame in the level
};

Game& TheGame();

// The same start-up as the game's entry point, with a script player that the solver feeds.
bool StartGame(const std::string& data, int32_t sceneId);

// Plays one frame with `input`; false when the game ended.
bool Step(const InputFrame& input);

// Plays one frame with `input` and one with nothing pressed (a button press).
bool Tap(InputFrame input);

// The end scene's rank: every piece left behind costs 30 seconds.
char Rank(const Game& game, float* total);

// The stick pushed all the way towards (x, y); nothing pressed for (0, 0).
InputFrame Stick(float x, float y);

// The objects of one type in the object list, in its order.
std::vector<GameObject*> ObjectsOf(ObjectType type);
Point PositionOf(const GameObject* o);
// The state of an object's behaviour; 0 without one.
int32_t StateOf(const GameObject* o);
// True while the current scene is one of the three levels.
bool InLevel();
GameObject* Player();

// A guard that has noticed the player (grace, half alert, chase, giving up) or a catch.
bool Noticed();

}  // namespace solve
