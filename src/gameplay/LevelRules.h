// The rules that tie the behaviours to the scene flow: the level start that resets the per-level
// game state, and the food's contact rule (delivery to the collection zone, stunning humans, hitting
// walls). Delivering enough food sets the scene's goalReached, which opens the escape barriers and
// lights the escape signal; the scene manager turns a catch, an escape or a kill zone into the next
// scene.
#pragma once

class GameObject;
struct Level;

// Food at least this fast (world units per second) stuns the human it hits.
inline constexpr float kStunSpeed = 20.0f;

// The gameplay part of every scene start (the scene manager's startLevel hook), before the scene's
// objects are built and once the scene manager has put its food counters and goal back to zero: the
// food sounds registered (not during the editor halt), the display, the escape signal and the
// player's shared state forgotten. The scene manager counts the food and hands out escape directions
// and patrol paths while it builds the objects, then rebuilds the grid.
void StartLevel(Level& level);

// The contact handler of every food (food, other object), in the current scene.
void FoodContact(GameObject* food, GameObject* other);

// Fills the factory, collision and scene hooks that the level rules, the glass, the escape barrier
// and the escape zone own. Called once at start-up, before the first scene starts.
void InstallLevelRulesHooks();
