// A headless platform on a scaled ("high-DPI") display: the window is `width` x `height` in its
// own units (what mouse positions are given in) and its drawable has `scale` times as many pixels
// each way. Everything else is the null platform's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace testing_support {

class ScaledPlatform final : public platform::Platform {
 public:
  ScaledPlatform(int width, int height, int scale)
      : null_(platform::CreateNullPlatform(width, height)), scale_(scale) {}

  void GetDrawableSize(int* w, int* h) const override {
    null_->GetClientSize(w, h);
    *w *= scale_;
    *h *= scale_;
  }

  bool OpenWindow(const platform::WindowConfig& c) override { return null_->OpenWindow(c); }
  void CloseWindow() override { null_->CloseWindow(); }
  bool HasWindow() const override { return null_->HasWindow(); }
  bool HasGlContext() const override { return null_->HasGlContext(); }
  std::string LastError() const override { return null_->LastError(); }
  void PumpEvents(const std::function<void(const platform::Event&)>& deliver) override { null_->PumpEvents(deliver); }
  void SetRawEventHook(std::function<bool(const void*)> hook) override { null_->SetRawEventHook(std::move(hook)); }
  bool IsMinimized() const override { return null_->IsMinimized(); }
  bool HasFocus() const override { return null_->HasFocus(); }
  void CaptureMouse(bool capture) override { null_->CaptureMouse(capture); }
  void ShowCursor(bool show) override { null_->ShowCursor(show); }
  void ShowMessageBox(const std::string& text, const std::string& caption) override {
    null_->ShowMessageBox(text, caption);
  }
  void GetClientSize(int* w, int* h) const override { null_->GetClientSize(w, h); }
  void GetWindowSize(int* w, int* h) const override { null_->GetWindowSize(w, h); }
  void GetDesktopSize(int* w, int* h) const override { null_->GetDesktopSize(w, h); }
  bool IsFullscreen() const override { return null_->IsFullscreen(); }
  void SetFullscreen(bool fullscreen) override { null_->SetFullscreen(fullscreen); }
  std::vector<platform::DisplayMode> DisplayModes() const override { return null_->DisplayModes(); }
  void SwapBuffers(bool vsync) override { null_->SwapBuffers(vsync); }
  uint64_t PerformanceCounter() const override { return null_->PerformanceCounter(); }
  uint64_t PerformanceFrequency() const override { return null_->PerformanceFrequency(); }
  uint32_t Ticks() const override { return null_->Ticks(); }
  void Sleep(uint32_t ms) override { null_->Sleep(ms); }
  bool ReadPad(uint32_t index, PadRawState* out) override { return null_->ReadPad(index, out); }

 private:
  std::unique_ptr<platform::Platform> null_;
  int scale_;
};

}  // namespace testing_support
