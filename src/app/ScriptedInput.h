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

#include <memory>
#include <optional>
#include <string>

struct RunOptions;
struct InputScript;
struct InputRun;

namespace platform {
class Platform;
}

// Reads the --input script and arms the recorder for --record. False with "FILE:LINE: reason" (or
// "FILE: reason") in *error when the script cannot be read or is malformed.
bool PrepareInputScripts(const RunOptions& options, std::string* error);
// The same with a script already in memory (tests); recordPath empty records nothing.
void PrepareInputScripts(const InputScript& script, bool play, const std::string& recordPath);
// `real` wrapped for playing and recording; `real` itself when no script plays and nothing records.
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
