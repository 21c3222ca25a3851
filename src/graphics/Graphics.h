// The graphics frame and the objects it drives. Graphics owns the device, the camera's matrices and
// the two shader programs for the whole run. Frame() is the heart of every frame: projection, clear,
// camera, blending, the object pass (which draws), the scene manager, the editor, present, audio.
#pragma once

class Graphics {
 public:
  // False when the device or a shader program cannot start; a message box has said why.
  bool Initialize();
  // Draws, updates and presents frame number `frameNumber` of the run (--screenshot requests name
  // it). False ends the main loop (the scene list is empty).
  bool Frame(int frameNumber);
  void Shutdown();
};

#include <string>

#include "platform/GpuDevice.h"

// What the device was asked to do over the last graphics run (kept when it shut down): benchmarks
// run the whole program and then read its draw calls per frame here.
platform::GpuStats LastRunGpuStats();

// Writes the back buffer of the frame just drawn to a PNG file (atomically); false when it cannot
// (the headless null device has no pixels). The main loop calls it after the frame was presented,
// when GL's back buffer no longer holds the picture, so Graphics::Frame reads the back buffer just
// before presenting whenever a --screenshot request falls on that frame, and this writes that copy.
// Without a presented frame (a tool or test that drew without presenting) the back buffer is read.
bool WriteScreenshot(const std::string& file);

// Whether presenting waits for the display (on, as the game starts). A replay watched at 2x or 4x
// presents the frames between its paced ones without waiting. Nothing before start-up.
void SetPresentWaits(bool wait);
// The steps of the graphics frame that belong to the scene manager, which registers them when it
// adds a scene: its update (false ends the main loop; without a scene manager the frame ends it, as
// an empty scene list does) and the release of its scenes at shutdown, after the objects are gone.
struct SceneSteps {
  bool (*update)(float dt) = nullptr;
  void (*destroy)() = nullptr;
};
void SetSceneSteps(const SceneSteps& steps);

// The program-wide graphics object (null before start-up and after shutdown).
Graphics* GetGraphics();
void SetGraphics(Graphics* graphics);
