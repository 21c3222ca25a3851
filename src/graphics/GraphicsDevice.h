// The graphics device: the GPU layer behind the game's draws (OpenGL, or the null device when the
// game runs headless or without a GL context), its fixed pipeline states, the display-mode list and
// presentation with vertical synchronisation. One instance lives for the whole run, created by
// Graphics::Initialize; every draw reaches it through GetGraphicsDevice() / Gpu().
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/GpuDevice.h"
#include "platform/Platform.h"

class GraphicsDevice {
 public:
  GraphicsDevice();
  ~GraphicsDevice();
  GraphicsDevice(const GraphicsDevice&) = delete;
  GraphicsDevice& operator=(const GraphicsDevice&) = delete;

  // Creates the GPU layer for the installed platform's window (the null one when headless or when
  // the window has no GL context), sets the states and the viewport to the screen size and builds
  // the projection. screenDepth/screenNear are the far and near planes. False when no device works.
  bool Initialize(int screenWidth, int screenHeight, float screenDepth, float screenNear);
  void Shutdown();

  // Clears the back buffer to (0, 0, 0, 1) and depth to 1.0 (the viewport first follows the
  // window's client size if it changed).
  void BeginScene();
  void BindAlphaBlending();
  // Presents the back buffer (interval 1 with vsync on).
  void EndScene();

  platform::GpuDevice& Gpu() { return *gpu_; }
  bool IsNull() const { return gpu_->IsNull(); }
  // The viewport in pixels (the window's drawable size as of the last scene begun).
  int ViewportWidth() const { return viewportWidth_; }
  int ViewportHeight() const { return viewportHeight_; }

  bool vsync = true;
  std::vector<platform::DisplayMode> displayModes;
  int refreshNumerator = 0;
  int refreshDenominator = 1;

 private:
  std::unique_ptr<platform::GpuDevice> gpu_;
  int viewportWidth_ = 0;
  int viewportHeight_ = 0;
};

// The program-wide device (null before Graphics::Initialize and after shutdown).
GraphicsDevice* GetGraphicsDevice();
void SetGraphicsDevice(GraphicsDevice* device);

// Told before the device's state changes under the draws queued so far: a shader program draws
// directly, or the frame is presented. The sprite batch listens (it registers itself when it
// starts) and sends the quads it holds, so that they land first.
class StateChangeListener {
 public:
  virtual void BeforeStateChange() = 0;

 protected:
  ~StateChangeListener() = default;
};
// The one listener, or null for none; the caller keeps it alive while it is set.
void SetStateChangeListener(StateChangeListener* listener);
StateChangeListener* GetStateChangeListener();
// Tells the listener, if there is one, that the state is about to change.
void NotifyStateChange();

// The GPU layer of the program-wide device; a null device that only counts when there is none,
// so code that draws before start-up (or in a test without Graphics) never touches GL.
platform::GpuDevice& Gpu();

// Compiles and links a shader program from two GLSL files (vertex first). A missing file shows its
// name in a box captioned "Missing Shader File"; a compiler message goes to "shader-error.txt" and a
// box captioned with the file name says so. Returns an empty program then (nothing is left alive);
// on success *vertex and *pixel hold the compiled stages. Each name in `defines` is defined (as 1)
// in both stages' sources, right after the #version line, to build a variant of the program.
platform::GpuProgram CompileShaderProgram(platform::ProgramKind kind, const std::string& vertexFile,
                                          const std::string& pixelFile, platform::GpuShader* vertex,
                                          platform::GpuShader* pixel,
                                          const std::vector<std::string>& defines = {});
