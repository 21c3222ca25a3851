// The program's spine: start-up in a fixed order, the main loop, one frame's statistics and keys, and
// the orderly shutdown. Start-up steps of subsystems are called in their place; a failure of the
// graphics start ends start-up after a message box, every other failure is logged and survived.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/Config.h"

class Graphics;

class Application {
 public:
  // True when start-up succeeded.
  bool Initialize();
  // The main loop; returns when the program is to end.
  void Run();
  // One pass of the main loop: events, the frame, the input script's step, screenshots, the state
  // log and dumps. False when the program is to end. (Tools that drive the game frame by frame,
  // such as the level solver, call this instead of Run.)
  bool Pass();
  // One frame: timer, statistics, log lines, F8, F11, the graphics frame. False ends the loop.
  bool Frame();
  // Tears everything down; safe after a failed Initialize.
  void Shutdown();

  const ConfigFlags& Flags() const { return flags_; }
  int FramesRun() const { return framesRun_; }

 private:
  void HandleEvent(int kind, int key, int32_t x, int32_t y);
  void PauseForLostFocus();
  // Where vertical sync does not hold frames back, sleeps out the rest of the frame (FramePacer).
  void PaceFrame();

  std::string name_ = "Quillmarch";
  Graphics* graphics_ = nullptr;
  ConfigFlags flags_;
  bool cpuMeterOpen_ = false;
  bool quit_ = false;
  int framesRun_ = 0;
  size_t nextShot_ = 0;  // the next --screenshot request to write
};

// The running application (null before start-up and after shutdown).
Application* GetApplication();

// Ends the main loop at the end of the current pass; the normal shutdown then runs (exit code 0).
void RequestQuit();

// Hooks for layers that sit over the game and are not always built (the level editor) or that come
// with the gameplay modules (pausing a level). Each may be null.
struct ApplicationHooks {
  void (*editorInit)() = nullptr;
  void (*editorFrame)() = nullptr;     // once per pass before the frame
  void (*editorRender)() = nullptr;    // inside the graphics frame, before present
  void (*editorShutdown)() = nullptr;
  // Pauses a running level (sets the player's pause toggle and shows the pause menu).
  void (*pauseLevel)() = nullptr;
  // Asked before the program quits (F8, the window's close button, RequestQuit): false holds the
  // quit, as when the editor asks about unsaved edits first.
  bool (*editorAllowsQuit)() = nullptr;
  // True when the pass just run is not the last of a paced frame (a replay watched at 2x or 4x).
  bool (*skipPacing)() = nullptr;
};
ApplicationHooks& GetApplicationHooks();

// Entry point body: builds the application, runs it and tears it down. Returns the exit code.
int RunGame(int argc, char** argv);
