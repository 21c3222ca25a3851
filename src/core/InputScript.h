// Input scripts (`.qinput` files): the keyboard, the mouse and pad 0 of a run, frame by frame, as
// text that a person can write by hand and the game can record. A script is a list of runs; a run
// is one frame's input held for a number of frames, with the frame time in force. The reader and
// the writer are pure functions over text; playing a script into the game is ScriptedInput's work.
//
//   qinput 1
//   # a comment
//   dt 0.02                        frame time of the frames that follow, in seconds
//   60 D                           hold D for 60 frames; everything not named is up
//   1 RMB mouseworld=400,310       cursor over a world point, with the camera of that frame
//   20 LMB mouse=640,200           cursor at a window pixel (origin top-left)
//   1 wheel=-2                     the mouse wheel turned 2 notches towards the user in each frame
//   15 lstick=0.5,-1 rt=1 PAD_A    pad 0: left stick (y up), right trigger, button A
//   5 NOFOCUS                      the window has lost the focus to another program
//
// Keys are held as the virtual-key codes the input tables use. Ctrl, Shift and Alt are held by
// their left (or right) key; the generic Ctrl, Shift and Alt codes follow them when played.
#pragma once

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Where a frame puts the cursor. None leaves it where it was last put.
enum class CursorPlacement : uint8_t { None, Window, World };

struct InputFrame {
  std::bitset<256> keys;  // virtual-key codes held down (never the generic Ctrl/Shift/Alt codes)
  bool leftButton = false;
  bool rightButton = false;
  bool middleButton = false;  // kept and written; the game reads no middle button
  bool unfocused = false;     // the window does not have the focus (another program took it)
  int32_t wheel = 0;          // wheel notches turned in the frame, away from the user positive
  CursorPlacement cursor = CursorPlacement::None;
  int32_t mouseX = 0, mouseY = 0;       // window pixels, for CursorPlacement::Window
  float worldX = 0.0f, worldY = 0.0f;   // world point, for CursorPlacement::World
  // Pad 0 in the XInput layout: button masks, sticks -32767..32767 (y up), triggers 0..255.
  uint16_t padButtons = 0;
  int16_t leftStickX = 0, leftStickY = 0, rightStickX = 0, rightStickY = 0;
  uint8_t leftTrigger = 0, rightTrigger = 0;

  bool operator==(const InputFrame& other) const = default;
};

struct InputRun {
  int32_t frames = 1;         // at least 1
  std::optional<double> dt;   // seconds per frame in force; none: the game's own clock
  InputFrame input;

  bool operator==(const InputRun& other) const = default;
};

struct InputScript {
  std::vector<InputRun> runs;

  int64_t FrameCount() const;
  bool operator==(const InputScript& other) const = default;
};

// Why a script was refused: the 1-based line and a reason.
struct InputScriptError {
  int line = 0;
  std::string reason;
};

// Reads script text. Tokens and words are not case-sensitive; '#' starts a comment anywhere.
// Returns false with *error filled on the first problem; *script is then left empty.
bool ReadInputScript(const std::string& text, InputScript* script, InputScriptError* error);

// The text of a script, in the canonical layout: "qinput 1", a dt line wherever the frame time
// changes, one line per run with its tokens in a fixed order. ReadInputScript gives back an equal
// script.
std::string WriteInputScript(const InputScript& script, const std::string& headerComment = "");

// Frames appended one at a time, equal consecutive frames (same input, same frame time) merged into
// one run. The recorder of --record.
class InputRecording {
 public:
  // frameMs: the frame's measured duration in milliseconds, as the frame clock keeps it.
  void Add(const InputFrame& frame, float frameMs);
  const InputScript& Script() const { return script_; }

 private:
  InputScript script_;
};

// Seconds for a dt line that the frame clock turns back into exactly `frameMs`
// (static_cast<float>(seconds * 1000.0) == frameMs), written as briefly as that allows.
double FrameMsToSeconds(float frameMs);
// The frame clock's milliseconds for a dt value.
float SecondsToFrameMs(double seconds);

// A key token of the scripts (upper case: "W", "F5", "ESCAPE", "VK_BA") as its key code; 0 when it
// names no key. The controls screen and the settings file name keys the same way.
int ScriptKeyCode(const std::string& upperToken);
// The script token of a key code.
std::string ScriptKeyToken(int code);
