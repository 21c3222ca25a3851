// The SDL2 platform: one window with an OpenGL 3.3 core context, the event pump with the virtual-key
// translation, game controllers in the XInput layout, message boxes, display modes and timers.
#include <SDL.h>
#include <SDL_image.h>

#if defined(__linux__)
#include <dlfcn.h>
#include <link.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "core/Input.h"
#include "core/KeyCodes.h"
#include "platform/Platform.h"

namespace platform {
namespace {

// The generic Ctrl, Shift and Alt codes follow their left and right keys.
int GenericKey(int vkCode) {
  switch (vkCode) {
    case vk::LControl: case vk::RControl: return vk::Control;
    case vk::LShift: case vk::RShift: return vk::Shift;
    case vk::LMenu: case vk::RMenu: return vk::Menu;
    default: return 0;
  }
}

// XInput button bits for SDL controller buttons.
struct ButtonBit {
  SDL_GameControllerButton button;
  uint16_t mask;
};
constexpr ButtonBit kButtonBits[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, 0x0001},    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0x0002},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0x0004},  {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0x0008},
    {SDL_CONTROLLER_BUTTON_START, 0x0010},      {SDL_CONTROLLER_BUTTON_BACK, 0x0020},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, 0x0040},  {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 0x0080},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 0x0100}, {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 0x0200},
    {SDL_CONTROLLER_BUTTON_A, 0x1000},          {SDL_CONTROLLER_BUTTON_B, 0x2000},
    {SDL_CONTROLLER_BUTTON_X, 0x4000},          {SDL_CONTROLLER_BUTTON_Y, 0x8000},
};

// How far a stick or trigger must be pushed for its pad to count as the one in use.
constexpr int kUsedAxis = 16000;

int16_t FlipAxis(int16_t v) {
  // SDL's y axes point down; XInput's point up. -32768 has no positive twin, so clamp.
  return v == -32768 ? static_cast<int16_t>(32767) : static_cast<int16_t>(-v);
}

// Keeps every shared library loaded so far in memory until the process ends. The GL driver keeps a
// few allocations for the life of the process; if its library were unloaded at exit, leak reports
// could no longer name it (and so could not be told apart from our own leaks).
void PinLoadedLibraries() {
#if defined(__linux__)
  dl_iterate_phdr(
      [](struct dl_phdr_info* info, size_t, void*) {
        if (info->dlpi_name != nullptr && info->dlpi_name[0] != '\0') {
          dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
        }
        return 0;
      },
      nullptr);
#endif
}

bool IsOffscreenDriver() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver != nullptr && std::strcmp(driver, "offscreen") == 0;
}

class SdlPlatform final : public Platform {
 public:
  ~SdlPlatform() override { CloseWindow(); }

  bool OpenWindow(const WindowConfig& config) override {
    config_ = config;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0) {
      error_ = std::string("no display found (") + SDL_GetError() +
               "); set DISPLAY, or run with SDL_VIDEODRIVER=offscreen or --headless";
      return false;
    }
    videoInitialised_ = true;
    offscreen_ = IsOffscreenDriver();
    // SDL ignores pads while no window has the keyboard focus, and an offscreen window never has
    // it; that window counts as focused, so its pads must count too.
    if (offscreen_) SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);

    int w = config.width, h = config.height;
    // On a scaled display the drawable then has the display's own pixels, and the picture is sharp
    // instead of being drawn small and stretched.
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    if (!config.windowed) {
      SDL_DisplayMode desktop;
      if (SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
        w = desktop.w;
        h = desktop.h;
      }
      flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    window_ = SDL_CreateWindow(config.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, flags);
    if (window_ == nullptr) {
      error_ = std::string("could not create the window: ") + SDL_GetError();
      return false;
    }
    SetIcon(config.iconFile);
    context_ = SDL_GL_CreateContext(window_);
    PinLoadedLibraries();  // the driver is loaded now, even when it could not make the context
    if (context_ == nullptr) {
      error_ = std::string("could not create an OpenGL 3.3 context: ") + SDL_GetError();
      return true;  // the window exists; the graphics start reports the missing context
    }
    SDL_GL_MakeCurrent(window_, context_);
    vsyncAccepted_ = SDL_GL_SetSwapInterval(1) == 0;
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
    SDL_ShowCursor(SDL_ENABLE);
    // Pads plugged in before start-up arrive as device-added events in the first pump.
    return true;
  }

  void CloseWindow() override {
    for (SDL_GameController*& pad : pads_) {
      if (pad != nullptr) SDL_GameControllerClose(pad);
      pad = nullptr;
    }
    if (context_ != nullptr) SDL_GL_DeleteContext(context_);
    context_ = nullptr;
    if (window_ != nullptr) {
      SDL_SetWindowFullscreen(window_, 0);  // leave full screen before the window goes
      SDL_DestroyWindow(window_);
    }
    window_ = nullptr;
    if (videoInitialised_) {
      SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_GAMECONTROLLER | SDL_INIT_EVENTS | SDL_INIT_TIMER);
      videoInitialised_ = false;
    }
  }

  bool HasWindow() const override { return window_ != nullptr; }
  bool HasGlContext() const override { return context_ != nullptr; }
  std::string LastError() const override { return error_; }

  void SetRawEventHook(std::function<bool(const void*)> hook) override { rawHook_ = std::move(hook); }

  void PumpEvents(const std::function<void(const Event&)>& deliver) override {
    if (!videoInitialised_) return;
    SDL_PumpEvents();
    std::set<int> changedKeys;  // keys and buttons changed in this pass
    SDL_Event ev;
    while (SDL_PeepEvents(&ev, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 1) {
      if (WouldUndoChange(ev, changedKeys)) break;
      SDL_PeepEvents(&ev, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
      // The hook only looks: every event still reaches the game, which decides by the editor's
      // capture rule what it sees. Dropping handled events would lose key-ups and button-ups.
      if (rawHook_) rawHook_(&ev);
      Translate(ev, changedKeys, deliver);
    }
  }

  bool IsMinimized() const override {
    if (window_ == nullptr || offscreen_) return false;
    return (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0;
  }

  bool HasFocus() const override {
    if (window_ == nullptr || offscreen_) return true;
    return (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0;
  }

  void CaptureMouse(bool capture) override {
    if (window_ != nullptr && !offscreen_) SDL_CaptureMouse(capture ? SDL_TRUE : SDL_FALSE);
  }

  void ShowCursor(bool show) override {
    if (videoInitialised_) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
  }

  void ShowMessageBox(const std::string& text, const std::string& caption) override {
    // Standard error gets every message too: a start that fails says why in the terminal or the
    // session log it was started from, whether or not someone saw the box.
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    if (config_.noDialogs || offscreen_ || !videoInitialised_) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), window_);
  }

  void GetClientSize(int* w, int* h) const override {
    *w = 0;
    *h = 0;
    if (window_ != nullptr) SDL_GetWindowSize(window_, w, h);
  }

  void GetDrawableSize(int* w, int* h) const override {
    *w = 0;
    *h = 0;
    if (window_ == nullptr) return;
    if (context_ != nullptr) {
      SDL_GL_GetDrawableSize(window_, w, h);
    } else {
      SDL_GetWindowSize(window_, w, h);
    }
  }

  void GetWindowSize(int* w, int* h) const override {
    GetClientSize(w, h);
    int top = 0, left = 0, bottom = 0, right = 0;
    if (window_ != nullptr && SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) == 0) {
      *w += left + right;
      *h += top + bottom;
    }
  }

  void GetDesktopSize(int* w, int* h) const override {
    SDL_DisplayMode mode;
    if (videoInitialised_ && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
      *w = mode.w;
      *h = mode.h;
    } else {
      GetClientSize(w, h);
    }
  }

  bool IsFullscreen() const override {
    return window_ != nullptr && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
  }

  void SetFullscreen(bool fullscreen) override {
    if (window_ == nullptr) return;
    SDL_SetWindowFullscreen(window_, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (!fullscreen) SDL_SetWindowSize(window_, config_.width, config_.height);
  }

  std::vector<DisplayMode> DisplayModes() const override {
    std::vector<DisplayMode> modes;
    if (!videoInitialised_) return modes;
    int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
      SDL_DisplayMode mode;
      if (SDL_GetDisplayMode(0, i, &mode) == 0) modes.push_back({mode.w, mode.h, mode.refresh_rate, 1});
    }
    return modes;
  }

  void SwapBuffers(bool vsync) override {
    if (window_ == nullptr || context_ == nullptr) return;
    if (vsync != vsync_) {
      vsyncAccepted_ = SDL_GL_SetSwapInterval(vsync ? 1 : 0) == 0 || !vsync;
      vsync_ = vsync;
    }
    SDL_GL_SwapWindow(window_);
  }

  int RefreshRate() const override {
    SDL_DisplayMode mode;
    if (window_ == nullptr || SDL_GetWindowDisplayMode(window_, &mode) != 0) return 0;
    return mode.refresh_rate;
  }

  bool VsyncAccepted() const override { return vsyncAccepted_; }

  uint64_t PerformanceCounter() const override { return SDL_GetPerformanceCounter(); }
  uint64_t PerformanceFrequency() const override { return SDL_GetPerformanceFrequency(); }
  uint32_t Ticks() const override { return SDL_GetTicks(); }
  void Sleep(uint32_t ms) override { SDL_Delay(ms); }

  // Slot 0, the one the game plays with, is the pad used last; the other pads follow in the order
  // they were plugged in. So any pad drives the game, and unplugging one leaves the others working.
  bool ReadPad(uint32_t index, PadRawState* out) override {
    SDL_GameController* pad = PadInSlot(index);
    if (pad == nullptr) return false;
    PadRawState raw;
    raw.packetNumber = ++packets_[index];
    for (const ButtonBit& bit : kButtonBits) {
      if (SDL_GameControllerGetButton(pad, bit.button)) raw.buttons |= bit.mask;
    }
    // SDL triggers run 0..32767; XInput's run 0..255.
    raw.leftTrigger = static_cast<uint8_t>(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT) * 255 / 32767);
    raw.rightTrigger = static_cast<uint8_t>(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT) * 255 / 32767);
    raw.thumbLX = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX);
    raw.thumbLY = FlipAxis(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY));
    raw.thumbRX = SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_RIGHTX);
    raw.thumbRY = FlipAxis(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_RIGHTY));
    *out = raw;
    return true;
  }

 private:
  // The key (or button) an event changes, or 0 for events that change none.
  static int ChangedCode(const SDL_Event& ev) {
    switch (ev.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (ev.key.repeat) return 0;
        return ScancodeToVirtualKey(ev.key.keysym.scancode);
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        if (ev.button.button == SDL_BUTTON_LEFT) return 0x1000 + 1;
        if (ev.button.button == SDL_BUTTON_RIGHT) return 0x1000 + 2;
        return 0;
      default:
        return 0;
    }
  }

  static bool WouldUndoChange(const SDL_Event& ev, const std::set<int>& changed) {
    int code = ChangedCode(ev);
    return code != 0 && changed.count(code) != 0;
  }

  void Translate(const SDL_Event& ev, std::set<int>& changed, const std::function<void(const Event&)>& deliver) {
    Event out;
    switch (ev.type) {
      case SDL_QUIT:
        out.kind = Event::Kind::Quit;
        deliver(out);
        break;
      case SDL_WINDOWEVENT:
        if (ev.window.event == SDL_WINDOWEVENT_CLOSE) {
          out.kind = Event::Kind::Quit;
          deliver(out);
        }
        break;
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        if (ev.key.repeat) break;
        int code = ScancodeToVirtualKey(ev.key.keysym.scancode);
        if (code == 0) break;
        bool down = ev.type == SDL_KEYDOWN;
        changed.insert(code);
        out.kind = down ? Event::Kind::KeyDown : Event::Kind::KeyUp;
        out.key = code;
        deliver(out);
        if (int generic = GenericKey(code)) {
          sideDown_[code] = down;
          bool anyDown = false;
          for (auto& [side, isDown] : sideDown_) {
            if (GenericKey(side) == generic && isDown) anyDown = true;
          }
          out.kind = anyDown ? Event::Kind::KeyDown : Event::Kind::KeyUp;
          out.key = generic;
          deliver(out);
        }
        break;
      }
      case SDL_MOUSEWHEEL:
        out.kind = Event::Kind::Wheel;
        out.key = ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -ev.wheel.y : ev.wheel.y;
        if (out.key != 0) deliver(out);
        break;
      case SDL_MOUSEMOTION:
        out.kind = Event::Kind::MouseMove;
        out.x = ev.motion.x;
        out.y = ev.motion.y;
        deliver(out);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP: {
        bool down = ev.type == SDL_MOUSEBUTTONDOWN;
        out.x = ev.button.x;
        out.y = ev.button.y;
        if (ev.button.button == SDL_BUTTON_LEFT) {
          out.kind = down ? Event::Kind::LeftDown : Event::Kind::LeftUp;
        } else if (ev.button.button == SDL_BUTTON_RIGHT) {
          out.kind = down ? Event::Kind::RightDown : Event::Kind::RightUp;
        } else {
          break;
        }
        changed.insert(ChangedCode(ev));
        deliver(out);
        break;
      }
      case SDL_CONTROLLERDEVICEADDED:
        OpenPad(ev.cdevice.which);
        break;
      case SDL_CONTROLLERDEVICEREMOVED:
        ClosePad(ev.cdevice.which);
        break;
      case SDL_CONTROLLERBUTTONDOWN:
        lastUsed_ = ev.cbutton.which;
        break;
      case SDL_CONTROLLERAXISMOTION:
        // A stick or trigger pushed well past its rest; drift around the centre is no use.
        if (ev.caxis.value > kUsedAxis || ev.caxis.value < -kUsedAxis) lastUsed_ = ev.caxis.which;
        break;
      default:
        break;
    }
  }

  // A missing or unreadable icon leaves the system's own: no reason to stop the game.
  void SetIcon(const std::string& file) {
    if (file.empty() || window_ == nullptr) return;
    SDL_Surface* icon = IMG_Load(file.c_str());
    if (icon == nullptr) return;
    SDL_SetWindowIcon(window_, icon);
    SDL_FreeSurface(icon);
  }

  static SDL_JoystickID InstanceOf(SDL_GameController* pad) {
    return SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(pad));
  }

  static bool Attached(SDL_GameController* pad) { return pad != nullptr && SDL_GameControllerGetAttached(pad); }

  SDL_GameController* PadInSlot(uint32_t index) const {
    if (index >= 4) return nullptr;
    SDL_GameController* used = nullptr;
    for (SDL_GameController* pad : pads_) {
      if (Attached(pad) && InstanceOf(pad) == lastUsed_) used = pad;
    }
    // No pad used yet (or the one used last is gone): the first one plugged in plays.
    for (SDL_GameController* pad : pads_) {
      if (used == nullptr && Attached(pad)) used = pad;
    }
    if (index == 0) return used;
    uint32_t slot = 0;
    for (SDL_GameController* pad : pads_) {
      if (!Attached(pad) || pad == used) continue;
      if (++slot == index) return pad;
    }
    return nullptr;
  }

  void OpenPad(int deviceIndex) {
    SDL_GameController* pad = SDL_GameControllerOpen(deviceIndex);
    if (pad == nullptr) return;
    for (SDL_GameController* other : pads_) {
      // Already open (a pad announced twice): SDL counted one more reference, which goes back, or
      // the pad would stay open after it is unplugged.
      if (other == pad) {
        SDL_GameControllerClose(pad);
        return;
      }
    }
    for (uint32_t i = 0; i < 4; ++i) {
      if (pads_[i] != nullptr) continue;
      SDL_GameControllerSetPlayerIndex(pad, static_cast<int>(i));
      pads_[i] = pad;
      return;
    }
    SDL_GameControllerClose(pad);  // four pads are playing already
  }

  void ClosePad(SDL_JoystickID instance) {
    for (SDL_GameController*& pad : pads_) {
      if (pad != nullptr && InstanceOf(pad) == instance) {
        SDL_GameControllerClose(pad);
        pad = nullptr;
      }
    }
  }

  WindowConfig config_;
  SDL_Window* window_ = nullptr;
  SDL_GLContext context_ = nullptr;
  bool videoInitialised_ = false;
  bool offscreen_ = false;
  bool vsync_ = true;
  bool vsyncAccepted_ = true;
  std::string error_;
  std::function<bool(const void*)> rawHook_;
  SDL_GameController* pads_[4] = {nullptr, nullptr, nullptr, nullptr};
  SDL_JoystickID lastUsed_ = -1;  // the pad that last had a button pressed or a stick pushed
  uint32_t packets_[4] = {0, 0, 0, 0};
  std::map<int, bool> sideDown_;
};

}  // namespace

std::string ExecutableDirectory() {
  char* base = SDL_GetBasePath();
  if (base == nullptr) return {};
  std::string dir(base);
  SDL_free(base);
  return dir;
}

std::string UserDataDirectory() {
  // No organisation: the folder is named after the game alone.
  char* folder = SDL_GetPrefPath("", "quillmarch");
  if (folder == nullptr) return {};
  std::string dir(folder);
  SDL_free(folder);
  return dir;
}

std::unique_ptr<Platform> CreateSdlPlatform() { return std::make_unique<SdlPlatform>(); }

}  // namespace platform
