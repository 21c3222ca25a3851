// End-to-end runs of the built game on an input script, for tests of gameplay, menus and levels.
//
//   ScriptedGame game;                                   // own data folder, shipped assets linked
//   ScriptRun result = game.PlayLevel(                   // level1.json (scene id 6) replaced
//       TestLevel({PlayerObject(), LevelObject("Wall_2", "Wall", 300, 0, 50, 400)}),
//       "qinput 1\n60 D\n", 61, {1, 61});                // --frames 61, --dump-objects 1:... 61:...
//   ASSERT_TRUE(result.Ok()) << result.Problems();
//   EXPECT_GT(result.At(61, "Player_1").x, result.At(1, "Player_1").x);
//
// Run() takes the full set of options for anything else (another scene, a window, a recording,
// screenshots); ScriptedGame::From(scene, frames) starts them. The run's state log answers which
// scene showed when (SceneAt, FirstFrameIn, ScenePath).
//
// Every run is headless by default (offscreen with a 640x360 window when `headless` is false; both
// count as windowed, not full screen), with
// --fixed-dt 0.025, --seed 1 and the config "00" (no log file, no editor), and always writes a
// state log (result.stateLog, one entry per frame). `record` adds --record and returns the
// recording's text. Scripts are written as given: begin them with "qinput 1". The game refuses a
// malformed script before the first frame (exit code 2, "FILE:LINE: reason" on standard error).
// The mouse's world position is computed after each frame, so put the cursor in place one frame
// before a click that must land on something.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/ScreenPicture.h"
#include "support/TestSupport.h"

namespace testing_support {

// The scene id of level1.json, the file PlayLevel replaces.
constexpr int kTestLevelId = 6;

// Where the shipped scenes stand in the scene list: the state log names a scene by its place.
namespace scene_index {
constexpr int kSplash = 1, kMainMenu = 4, kLevel1 = 5, kLevel2 = 6, kEndScene = 8, kGameOver = 9, kCredits = 11,
              kLevelSelect = 12;
}  // namespace scene_index

struct DumpedObject {
  std::string name;
  std::string type;  // the type word, e.g. "Player"
  float x = 0.0f, y = 0.0f, rotation = 0.0f;  // NaN where the game had no finite number
  float vx = 0.0f, vy = 0.0f;  // 0 without Kinematics
  bool visible = false;
  std::optional<int> state;  // the behaviour's current state; none without a behaviour
  std::optional<float> filterAlpha;  // the colour filter's alpha; none without a filter
};

struct DumpedScene {
  int index = -1, id = -1;
  float time = 0.0f;
  int foodCount = 0, foodCollected = 0;
  bool goalReached = false, gameOver = false, exitStarted = false, paused = false;
};

// One --dump-objects file, read.
struct ObjectDump {
  int frame = 0;
  bool hasScene = false;
  DumpedScene scene;
  float cameraX = 0.0f, cameraY = 0.0f;
  std::vector<DumpedObject> objects;  // in list order

  // The first object with that exact name, or null.
  const DumpedObject* Find(const std::string& name) const;
  int CountType(const std::string& type) const;
};

// A rectangle of the picture in pixels from its top-left corner, y down.
struct PixelBox {
  float x0 = 0.0f, y0 = 0.0f, x1 = 0.0f, y1 = 0.0f;
};

// One text of a --dump-texts file: where its glyphs and the plate it labels lie on the picture.
struct DumpedText {
  std::string text;                // as stored (the font sheets swap its letter case)
  bool lightFont = false;          // "FontSheet.png" rather than "FontSheet_Black.png"
  bool scrolls = false;            // moves with the world (the credits' column)
  std::vector<PixelBox> glyphs;    // one per character, spaces included
  bool hasPlate = false;
  PixelBox plate;
  float plateAlpha = 0.0f;
  bool platePicture = false;
};

// One --dump-texts file, read.
struct TextDump {
  int frame = 0;
  int width = 0, height = 0;
  std::vector<DumpedText> texts;

  // Whether a text reads exactly `text`.
  bool Shows(const std::string& text) const;
  // Every text, each in brackets, for a failure message.
  std::string AllTexts() const;
};

// One --state-log line.
struct StateLine {
  int frame = 0;
  int sceneIndex = 0;
  std::string hash;
};

struct ScriptRun {
  RunResult process;                  // exit code, standard output and error
  std::string stateLogText;           // the log file as written
  std::vector<StateLine> stateLog;
  std::map<int, ObjectDump> dumps;    // by frame; a missing frame was never written
  std::map<int, TextDump> textDumps;  // by frame
  std::string recorded;               // the --record output, when asked for
  std::map<int, std::string> shots;   // the screenshot files by frame, when asked for
  std::vector<std::string> problems;  // files that were missing or could not be read

  bool Ok() const { return process.exitCode == 0 && problems.empty(); }
  // The exit code, the problems and standard error, for a failure message.
  std::string Problems() const;
  // The named object in the dump after `frame`; fails the test (and gives a blank object) when the
  // dump or the object is missing.
  const DumpedObject& At(int frame, const std::string& name) const;
  // The screenshot after `frame`, read; fails the test (and gives an empty picture) when it cannot be.
  ScreenPicture Shot(int frame) const;

  // The scene index the state log gives after `frame`; -1 where it has no such line.
  int SceneAt(int frame) const;
  // The first frame from `from` on whose state log line shows the scene at `index`; -1 when none does.
  int FirstFrameIn(int index, int from = 1) const;
  // The distinct scene indices the run went through, in order.
  std::vector<int> ScenePath() const;
  // The first dumped frame whose dump passes `test`; -1 when none does.
  int FirstDump(const std::function<bool(const ObjectDump&)>& test) const;
};

class ScriptedGame {
 public:
  struct Options {
    int frames = 60;
    int scene = -1;            // --scene ID; -1 starts at the first splash screen
    uint32_t seed = 1;
    std::string fixedDt = "0.025";
    bool headless = true;
    std::vector<int> dumpAfter;
    std::vector<int> textDumpAfter;  // --dump-texts after these frames
    std::vector<int> shotAfter;      // --screenshot after these frames; a run with any is drawn (not headless)
    bool record = false;
    std::string config = "00";
    std::vector<std::string> extraArgs;
  };

  ScriptedGame();
  // The options of a run of `frames` frames from the scene of that id, the rest as default.
  static Options From(int scene, int frames) {
    Options options;
    options.scene = scene;
    options.frames = frames;
    return options;
  }
  // Replaces a scene file ("level1.json" is scene id 6, "level2.json" 7, "level3.json" 8 ...) in
  // this game's data folder only.
  void SetLevel(const std::string& fileName, const std::string& levelText);
  // Runs the game on the script text. Each run gets its own files in the folder.
  ScriptRun Run(const std::string& script, const Options& options);
  // Replaces level1.json with `level` and runs the script in it (--scene 6) for `frames` frames,
  // dumping the objects after each frame of `dumps`; `base` gives the other options.
  ScriptRun PlayLevel(const std::string& level, const std::string& script, int frames, std::vector<int> dumps,
                      Options base);
  ScriptRun PlayLevel(const std::string& level, const std::string& script, int frames, std::vector<int> dumps) {
    return PlayLevel(level, script, frames, std::move(dumps), Options());
  }
  // A file in this game's temporary folder.
  std::string File(const std::string& name) const { return dir_.File(name); }
  // A file in this game's per-user folder (settings, the log).
  std::string UserFile(const std::string& name) const { return testing_support::UserFile(dir_.path(), name); }
  const std::string& DataDir() const { return dir_.path(); }

 private:
  TempDir dir_;
  int runs_ = 0;
};

// A test with a game of its own.
class ScriptedGameTest : public ::testing::Test {
 protected:
  ScriptedGame game;
};

// An input script written step by step, counting its frames as it goes, for runs that stop to
// look on the way (a dump or a screenshot after the frame a step returns).
class ScriptWriter {
 public:
  // `frames` frames with `keys` held (none when empty); returns the last frame of the step. No
  // frames: nothing is written.
  int Hold(int frames, const std::string& keys = "");
  // A key pressed for one frame and let go in the next, `times` times; returns the last frame.
  int Tap(const std::string& key, int times = 1);
  // The last frame written so far.
  int Frame() const { return frame_; }
  const std::string& Text() const { return text_; }

 private:
  std::string text_ = "qinput 1\n";
  int frame_ = 0;
};

// The text of a small level: the given object records, a texture list that covers every shipped
// object picture, the player and human attribute files, and a food goal.
std::string TestLevel(const std::vector<std::string>& objects, int foodGoal = 0);
// One object record of a level file. Without a texture the object is drawn as a black box (walls).
std::string LevelObject(const std::string& id, const std::string& type, float x, float y, float scaleX,
                        float scaleY, const std::string& texture = "");

// The player, a food and a guard at the size their archetypes give them.
std::string PlayerObject(float x = 0.0f, float y = 0.0f);  // "Player_1"
std::string FoodObject(const std::string& id, float x = 0.0f, float y = 0.0f);
std::string EnemyObject(const std::string& id, float x, float y);

// Frames step, 2 * step, ... up to `last`: when to dump the objects over a whole run.
std::vector<int> FramesEvery(int step, int last);

// Reads a dump's JSON. False with the reason in *error when it is not valid JSON of that shape.
bool ParseObjectDump(const std::string& json, ObjectDump* dump, std::string* error);
// Reads a text dump's JSON. False with the reason when it is not valid JSON of that shape.
bool ParseTextDump(const std::string& json, TextDump* dump, std::string* error);
// Reads a state log. False with the reason when a line is malformed.
bool ParseStateLog(const std::string& text, std::vector<StateLine>* lines, std::string* error);

}  // namespace testing_support
