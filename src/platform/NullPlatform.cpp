// The headless platform: no window, no events, real timers. Serves --headless and the unit tests.
#include <chrono>
#include <cstdio>
#include <thread>

#include "core/Input.h"
#include "platform/Platform.h"

namespace platform {
namespace {

class NullPlatform final : public Platform {
 public:
  NullPlatform(int width, int height) : width_(width), height_(height) {}

  bool OpenWindow(const WindowConfig& config) override {
    if (config.windowed) {
      width_ = config.width;
      height_ = config.height;
    }
    fullscreen_ = !config.windowed;
    return true;
  }
  void CloseWindow() override {}
  bool HasWindow() const override { return false; }
  bool HasGlContext() const override { return false; }
  std::string LastError() const override { return {}; }

  void PumpEvents(const std::function<void(const Event&)>&) override {}
  void SetRawEventHook(std::function<bool(const void*)>) override {}

  // Nobody else can take the focus of a window that does not exist.
  bool IsMinimized() const override { return false; }
  bool HasFocus() const override { return true; }
  void CaptureMouse(bool) override {}
  void ShowCursor(bool) override {}

  void ShowMessageBox(const std::string& text, const std::string& caption) override {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
  }

  void GetClientSize(int* w, int* h) const override { *w = width_; *h = height_; }
  void GetWindowSize(int* w, int* h) const override { *w = width_; *h = height_; }
  void GetDesktopSize(int* w, int* h) const override { *w = width_; *h = height_; }
  bool IsFullscreen() const override { return fullscreen_; }
  void SetFullscreen(bool fullscreen) override { fullscreen_ = fullscreen; }
  std::vector<DisplayMode> DisplayModes() const override { return {{width_, height_, 60, 1}}; }
  void SwapBuffers(bool) override {}

  uint64_t PerformanceCounter() const override {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                     std::chrono::steady_clock::now() - start_)
                                     .count());
  }
  uint64_t PerformanceFrequency() const override { return 1000000000ull; }
  uint32_t Ticks() const override { return static_cast<uint32_t>(PerformanceCounter() / 1000000ull); }
  void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

  bool ReadPad(uint32_t, PadRawState*) override { return false; }

 private:
  int width_;
  int height_;
  bool fullscreen_ = true;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

std::unique_ptr<Platform>& Installed() {
  static std::unique_ptr<Platform> installed;
  return installed;
}

}  // namespace

std::unique_ptr<Platform> CreateNullPlatform(int clientWidth, int clientHeight) {
  return std::make_unique<NullPlatform>(clientWidth, clientHeight);
}

Platform& GetPlatform() {
  if (!Installed()) Installed() = CreateNullPlatform();
  return *Installed();
}

void InstallPlatform(std::unique_ptr<Platform> platform) { Installed() = std::move(platform); }

}  // namespace platform
