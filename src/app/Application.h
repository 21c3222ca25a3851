// The program's spine: start-up in a fixed order, the main loop, one frame's statistics and keys, and
// the orderly shutdown. Start-up steps of subsystems are called in their place; a failure of the
// graphics start ends start-up after a message box, every other failure is logged and survived.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/Config.h"
#include "core/AppHooks.h"

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

// Entry point body: builds the application, runs it and tears it down. Returns the exit code.
int RunGame(int argc, char** argv);
