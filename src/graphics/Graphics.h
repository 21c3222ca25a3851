// The graphics frame and the objects it drives. Graphics owns the device, the camera's matrices and
// the two shader programs for the whole run. Frame() is the heart of every frame: projection, clear,
// camera, blending, the object pass (which draws), the scene manager, the editor, present, audio.
#pragma once

class Graphics {
 public:
  // False when the device or a shader program cannot start; a message box has said why.
  bool Initialize();
  // False ends the main loop (the scene list is empty).
  bool Frame();
  void Shutdown();
};

#include <string>

// Writes the back buffer of the frame just drawn to a PNG file; false when it cannot.
bool WriteScreenshot(const std::string& file);

// The program-wide graphics object (null before start-up and after shutdown).
Graphics* GetGraphics();
void SetGraphics(Graphics* graphics);
