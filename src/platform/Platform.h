// The platform contract: what the game needs from the machine (window and events, timers, pads,
// message boxes, display modes, the processor-usage meter). An SDL implementation serves the real
// game; a null implementation serves --headless and the unit tests. Game code reaches the one
// installed platform through GetPlatform(). No platform type appears in this header.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct PadRawState;

namespace platform {

struct WindowConfig {
  std::string title = "Quillmarch";
  bool windowed = false;   // false: desktop-size full screen
  int width = 1280;        // window size when windowed
  int height = 720;
  bool noDialogs = false;  // message boxes go to standard error
  std::string iconFile;    // the window's icon (a PNG); empty or unreadable: the system's own
};

struct DisplayMode {
  int width = 0;
  int height = 0;
  int refreshNumerator = 0;
  int refreshDenominator = 1;
};

// What the event pump reports to the game, already translated to virtual-key codes.
struct Event {
  enum class Kind { Quit, KeyDown, KeyUp, MouseMove, LeftDown, LeftUp, RightDown, RightUp, Wheel };
  Kind kind = Kind::Quit;
  int key = 0;      // virtual-key code for KeyDown / KeyUp; wheel notches for Wheel (away from the user > 0)
  int32_t x = 0;    // client pixels for mouse events
  int32_t y = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // Opens the window (and its OpenGL 3.3 core context). False when no window can be made; the
  // reason is in LastError().
  virtual bool OpenWindow(const WindowConfig& config) = 0;
  virtual void CloseWindow() = 0;
  virtual bool HasWindow() const = 0;
  // True when an OpenGL context is current on the window.
  virtual bool HasGlContext() const = 0;
  virtual std::string LastError() const = 0;

  // Takes the pending events of this pass. Drains the queue but stops before an event that would
  // undo a key or button change already delivered in this pass, so a tap shorter than one frame
  // still shows as pressed for a frame. Each event is shown to the raw hook first (the editor's
  // interface layer) and then delivered whatever the hook answers.
  virtual void PumpEvents(const std::function<void(const Event&)>& deliver) = 0;
  // Raw-event hook: gets the platform's own event record; its answer is ignored.
  virtual void SetRawEventHook(std::function<bool(const void* nativeEvent)> hook) = 0;

  virtual bool IsMinimized() const = 0;
  virtual bool HasFocus() const = 0;
  virtual void CaptureMouse(bool capture) = 0;
  virtual void ShowCursor(bool show) = 0;

  // A blocking OK-only message box, or standard error when nobody can answer it.
  virtual void ShowMessageBox(const std::string& text, const std::string& caption) = 0;

  // The window's size in its own units (what mouse positions are given in).
  virtual void GetClientSize(int* width, int* height) const = 0;
  // The size of what is drawn, in pixels: larger than the client size on a scaled (high-DPI)
  // display, the same elsewhere. The viewport, the projection and screenshots follow it.
  virtual void GetDrawableSize(int* width, int* height) const { GetClientSize(width, height); }
  virtual void GetWindowSize(int* width, int* height) const = 0;  // outer size, frame included
  virtual void GetDesktopSize(int* width, int* height) const = 0;
  virtual bool IsFullscreen() const = 0;
  virtual void SetFullscreen(bool fullscreen) = 0;
  virtual std::vector<DisplayMode> DisplayModes() const = 0;

  virtual void SwapBuffers(bool vsync) = 0;
  // The refresh rate of the window's display in Hz, 0 when unknown (or no window).
  virtual int RefreshRate() const { return 0; }
  // False when the driver refused to wait for the display at each swap (the swap interval).
  virtual bool VsyncAccepted() const { return true; }

  virtual uint64_t PerformanceCounter() const = 0;
  virtual uint64_t PerformanceFrequency() const = 0;
  virtual uint32_t Ticks() const = 0;  // milliseconds since start
  virtual void Sleep(uint32_t ms) = 0;

  // Fills the XInput-shaped record of the pad with user index 0..3; false when no pad is there.
  virtual bool ReadPad(uint32_t index, PadRawState* out) = 0;
};

// The installed platform. Before one is installed, a null platform answers.
Platform& GetPlatform();
void InstallPlatform(std::unique_ptr<Platform> platform);

std::unique_ptr<Platform> CreateSdlPlatform();
// The headless platform: no window; the client size is the given one; timers are real.
std::unique_ptr<Platform> CreateNullPlatform(int clientWidth = 1280, int clientHeight = 720);

// The folder holding the running executable (with a trailing separator, UTF-8), or empty when
// unknown.
std::string ExecutableDirectory();
// The player's own folder for this game (SDL's per-user folder: on Linux
// $XDG_DATA_HOME/quillmarch/, else ~/.local/share/quillmarch/), made when missing. UTF-8 with a
// trailing separator; empty when the system gives none or it cannot be made.
std::string UserDataDirectory();

// Maps an SDL scancode to the virtual-key code the input tables use (0 when it has none).
int ScancodeToVirtualKey(int scancode);

// Processor usage in percent from /proc/stat, sampled between calls. Open() fails where the
// counters cannot be read.
class CpuMeter {
 public:
  bool Open();
  // Usage since the previous sample (or Open), 0..100.
  int Sample();
  void Close();

 private:
  bool ReadTotals(uint64_t* busy, uint64_t* total) const;
  bool open_ = false;
  uint64_t lastBusy_ = 0;
  uint64_t lastTotal_ = 0;
};

}  // namespace platform
