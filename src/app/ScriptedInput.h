// Playing and recording input scripts at the platform seam. With --input or --record the installed
// platform is wrapped: the wrapper forwards everything to the real one (SDL or null) except the
// keyboard, the mouse and pad 0. While a script plays, its frame replaces them: key and button
// changes arrive as events in the pump (at most one change per key per pass, like real input) and
// ReadPad(0) returns the script's pad, so the input tables and every rule built on them work
// unchanged. When the script ends everything is up; real keyboard, mouse and pad 0 stay ignored.
// While a script plays the window counts as focused.
// The recorder notes what each frame got (from the script or from the real platform) with the
// frame's time, and writes it as a script at the end of the run.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/ReplayHooks.h"

struct RunOptions;
struct InputScript;
struct InputRun;
struct InputFrame;

namespace platform {
class Platform;
}

// Reads the --input script and arms the recorder for --record. False with "FILE:LINE: reason" (or
// "FILE: reason") in *error when the script cannot be read or is malformed.
bool PrepareInputScripts(const RunOptions& options, std::string* error);
// The same with a script already in memory (tests); recordPath empty records nothing.
void PrepareInputScripts(const InputScript& script, bool play, const std::string& recordPath);
// `real` wrapped for playing and recording (always: levels are recorded and replays watched). Fills
// the replay hooks (core/ReplayHooks.h) with the level recorder and the replay player below.
std::unique_ptr<platform::Platform> WrapPlatformForScripts(std::unique_ptr<platform::Platform> real);

// The frame time in milliseconds the playing script gives the coming frame, or none.
std::optional<float> ScriptedFrameMs();
// After each frame: the recorder notes the frame just run, and the script moves to the next one.
void AdvanceInputScript();
// Adds a run at the end of the playing script (a tool that decides each frame's input as the game
// runs, such as the level solver, feeds the game this way).
void AppendInputRun(const InputRun& run);
// True while script frames remain to be played.
bool InputScriptPlaying();
// Writes the recording atomically (when recording) and forgets the scripts. False with the reason.
bool FinishInputScripts(std::string* error);

// ---- The level recorder -----------------------------------------------------------------------
// Every frame's input is noted as the frame begins (after the events and the pads are read), with
// the frame's time in milliseconds. While a level is recorded the notes are kept as a script.
void NoteFrameInput(float frameMs);
// Starts recording a level's run; the frame now running (the one the level starts in) is its first.
void BeginLevelRecording();
// Stops recording and returns the run recorded since BeginLevelRecording.
InputScript EndLevelRecording();
bool LevelRecording();

// ---- Replays ------------------------------------------------------------------------------------
// (ReplayControls: what the player does while a replay plays, in core/ReplayHooks.h.)
// Plays `script` from the next frame on in place of the keyboard, the mouse and pad 0, with its
// frame times. What the player (or the --input script) does meanwhile goes to `controls` and is
// given back to the game when the replay ends or is stopped. `onStart` runs after the frame that
// asked, just before the replay's first frame: a scene requested there starts in that first frame,
// as the recorded run's level started in its first.
void PlayReplay(const InputScript& script, ReplayControls controls, std::function<void()> onStart = {});
// Ends a replay at once; the game gets the player's input back in the next frame.
void StopReplay();
// Holds the replay where it is (nothing new is delivered, the playhead stays) or lets it go on.
void HoldReplay(bool held);
bool ReplayHeld();
// True from PlayReplay until the replay's last frame has been played or it is stopped.
bool ReplayPlaying();
