// The scene list and scene switching. The game is a fixed list of scenes, each one level file: three
// splash screens, the main menu, three levels, the end scene, the game-over and win screens and the
// credits (loaded twice: the second copy is the level select). The manager owns the list for the
// whole run, keeps the index of the current scene and of the requested one, and once per frame,
// right after the object pass, either switches scenes (unload, clear objects, load textures, start)
// or advances the current scene (time, fades, timed exits, camera, developer keys). Requests made
// during a frame take effect at the next UpdateScenes. Navigation goes by scene id, never by index.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "objects/LevelRecords.h"

class GameObject;
struct Level;
class PathNode;
enum class RecordStatus;

// Scene ids, as BuildSceneList gives them.
namespace scene_id {
inline constexpr int kEmpty = 0;
inline constexpr int kSplashCorvan = 1;
inline constexpr int kSplashFmod = 2;
inline constexpr int kSplashLullwick = 3;
inline constexpr int kMainMenu = 4;
inline constexpr int kEndScene = 5;
inline constexpr int kLevel1 = 6;
inline constexpr int kLevel2 = 7;
inline constexpr int kLevel3 = 8;
inline constexpr int kGameOver = 9;
inline constexpr int kYouWin = 10;
inline constexpr int kCredits = 11;
inline constexpr int kLevelSelect = 12;
}  // namespace scene_id

// Whether a scene of that id is in the list BuildSceneList makes, and the ids with their scenes'
// names ("0 empty, 1 SplashCorvan, ..."): what `--scene` may name.
bool IsSceneId(int id);
std::string SceneIdList();

// The restart request: the current scene is started again, keeping its textures.
inline constexpr int kRestartRequest = -2;

// The manager's program-wide state. Tests and the editor read it; game code goes through the
// functions below.
struct SceneManagerState {
  int currentScene = 0;     // index of the scene now running
  int requestedScene = 0;   // index wanted next, or kRestartRequest
  int lastLevelId = 0;      // id of the level whose exit began; decides where the end scene leads
  bool invulnerable = false;  // developer switch: humans do not catch the player
};
SceneManagerState& SceneState();

// Loads the thirteen scene files in order and gives each its id. A file the reader gave up on keeps
// its place as an empty scene with that path and id. Requests the first splash screen and registers
// the four sound names of the menus and splash screens. Replaces any list built before.
void BuildSceneList();
// Appends a scene (the list owns it), sets its index and id and returns it. BuildSceneList uses it;
// so do tests that build their own scene list.
Level* AddScene(std::unique_ptr<Level> scene, int sceneId);
// Frees every scene with the running scene's objects and the fade overlay; the list is empty
// afterwards and both indices are 0.
void DestroySceneList();
const std::vector<std::unique_ptr<Level>>& SceneList();

// Once per frame after the object pass: a requested change or restart, then the current scene's
// update. dt in seconds (at most 0.025, 0 while paused). False when the list is empty ("No Scenes in
// list" is logged at ERROR): the main loop then ends.
bool UpdateScenes(float dt);

// The scene at currentScene; null when the list is empty.
Level* CurrentScene();
// True while the current scene is one of the three levels (ids 6, 7, 8).
bool CurrentSceneIsLevel();
// The first scene with that id, or null.
Level* FindSceneById(int id);
// requestedScene := the scene's index; nothing for null or a scene that is not in the list.
void RequestScene(Level* scene);
// RequestScene(FindSceneById(id)): an unknown id changes nothing.
void RequestSceneById(int id);
// Restarts the current scene at the next update (objects rebuilt, textures kept, camera kept).
void RequestRestart();
// Requests the scene after the current splash screen (1 -> 2, 2 -> 3, anything else -> the menu)
// and returns its id.
int NextAfterSplash();
// Requests the scene after the end scene, from lastLevelId (6 -> 7, 7 -> 8, 8 -> the win screen,
// anything else -> the menu) and returns its id.
int NextAfterEndScene();
// The player was caught: the scene fades out to the game-over screen. Null does nothing.
void SetGameOver(Level* scene);
// Builds one object from a level record the way the scene start does: the archetype, then the
// record's filters, emitters, light, exit side and button label. Null when nothing was built
// (`status`, which may be null, says why). The editor rebuilds deleted objects with it.
GameObject* BuildObjectFromRecord(const ObjectRecord& record, RecordStatus* status = nullptr);
// The object the current scene built from its Player record; null when there is none or it was
// removed from the object list.
GameObject* ScenePlayer();

// Pieces of the scene start and update that belong to modules built on top of the scenes (the menu
// screens, the on-screen buttons, the behaviours). Each may be null; the scene then simply lacks
// that piece, so the game runs from the splash screens to the menu without any of them.
struct SceneHooks {
  // The navigation highlight (a hidden 1 x 1 UI object at (0, 0)), made first at every scene start.
  void (*createHighlight)() = nullptr;
  // Empties the list of navigable buttons when a scene is unloaded.
  void (*clearNavigableButtons)() = nullptr;
  // Screens built by the scene start, by scene.
  void (*buildMainMenu)() = nullptr;
  void (*buildCredits)() = nullptr;
  void (*buildLevelSelect)() = nullptr;
  void (*buildEndScene)() = nullptr;
  void (*buildGameOver)() = nullptr;
  void (*buildYouWin)() = nullptr;
  // The studio name under the third splash picture.
  void (*buildSplashText)() = nullptr;
  // Gives an escape zone built from a record its exit side.
  void (*setEscapeDirection)(GameObject* zone, EscapeDirection direction) = nullptr;
  // Gives a human the first node of its patrol path.
  void (*setPatrolPath)(GameObject* enemy, PathNode* firstNode) = nullptr;
  // Writes a behaviour's nextState (the player runs out in the last half second of a timed exit).
  void (*requestState)(GameObject* object, int state) = nullptr;
  // The gameplay part of every scene start, once the scene's food counters and goal are back to zero
  // and before its objects are built (the level rules' StartLevel).
  void (*startLevel)(Level& scene) = nullptr;
  // Once per frame after the exits (a retry wins over them): the instant retry of a level (and from the game-over screen).
  void (*handleRetry)() = nullptr;
  // The last step of every scene start (a restart too), when the scene's objects and screens are built.
  void (*sceneStarted)(Level& scene) = nullptr;
  // A level's run has ended: won (its exit to the end scene is requested) or lost (the fade to the
  // game-over screen is over and that screen requested). Runs in the frame of the request.
  void (*levelRunEnded)(Level& scene, bool won) = nullptr;
  // The scene id the end scene leads to instead of the next level, or 0 for the usual way.
  int (*sceneAfterEndScene)() = nullptr;
};
SceneHooks& GetSceneHooks();
