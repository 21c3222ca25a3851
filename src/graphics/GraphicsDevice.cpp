#include "graphics/GraphicsDevice.h"

#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>

#include "core/FileSync.h"
#include "core/Options.h"
#include "graphics/Camera.h"
#include "platform/GameFolders.h"

namespace {

struct DeviceModule {
  GraphicsDevice* device = nullptr;
  StateChangeListener* listener = nullptr;
  // Answers draws made while no device exists (before start-up, in tests without Graphics).
  std::unique_ptr<platform::GpuDevice> fallback;
};

DeviceModule& Module() {
  static DeviceModule module;
  return module;
}

}  // namespace

GraphicsDevice* GetGraphicsDevice() { return Module().device; }
void SetGraphicsDevice(GraphicsDevice* device) { Module().device = device; }
void SetStateChangeListener(StateChangeListener* listener) { Module().listener = listener; }
StateChangeListener* GetStateChangeListener() { return Module().listener; }

void NotifyStateChange() {
  if (StateChangeListener* listener = Module().listener) listener->BeforeStateChange();
}

platform::GpuDevice& Gpu() {
  DeviceModule& m = Module();
  if (m.device != nullptr) return m.device->Gpu();
  if (!m.fallback) m.fallback = platform::CreateNullGpuDevice();
  return *m.fallback;
}

GraphicsDevice::GraphicsDevice() : gpu_(platform::CreateNullGpuDevice()) {}

GraphicsDevice::~GraphicsDevice() { Shutdown(); }

bool GraphicsDevice::Initialize(int screenWidth, int screenHeight, float, float) {
  vsync = true;
  platform::Platform& plat = platform::GetPlatform();

  // The refresh rate of the display mode that matches the screen size (the last match wins).
  displayModes = plat.DisplayModes();
  refreshNumerator = 0;
  refreshDenominator = 1;
  for (const platform::DisplayMode& mode : displayModes) {
    if (mode.width == screenWidth && mode.height == screenHeight) {
      refreshNumerator = mode.refreshNumerator;
      refreshDenominator = mode.refreshDenominator;
    }
  }

  // Only --headless draws on the null device (it draws nothing and counts). A window without an
  // OpenGL 3.3 core context is a failed start, never a blank window.
  if (GetRunOptions().headless) {
    gpu_ = platform::CreateNullGpuDevice();
  } else {
    if (!plat.HasGlContext()) return false;
    gpu_ = platform::CreateGlGpuDevice();
    if (!gpu_) return false;
  }
  if (screenWidth <= 0 || screenHeight <= 0) return false;
  if (!gpu_->Initialize(screenWidth, screenHeight)) {
    gpu_->Shutdown();
    gpu_ = platform::CreateNullGpuDevice();
    return false;
  }
  viewportWidth_ = screenWidth;
  viewportHeight_ = screenHeight;
  BuildProjection(static_cast<float>(screenWidth) / static_cast<float>(screenHeight));
  return true;
}

void GraphicsDevice::Shutdown() {
  if (gpu_) gpu_->Shutdown();
  displayModes.clear();
}

void GraphicsDevice::BeginScene() {
  // The picture fills the window: when the window's size changes (the full-screen toggle), the
  // viewport follows it, as a swap chain stretches its back buffer over the window; the projection
  // already follows the aspect ratio. Its size is the drawable's, in pixels, which on a scaled
  // display is larger than the window's own size.
  int width = 0, height = 0;
  platform::GetPlatform().GetDrawableSize(&width, &height);
  if (width > 0 && height > 0 && (width != viewportWidth_ || height != viewportHeight_)) {
    gpu_->SetViewport(0, 0, width, height);
    viewportWidth_ = width;
    viewportHeight_ = height;
  }
  // Never more than a couple of frames ahead of the GPU.
  gpu_->BeginFrame();
  gpu_->Clear(0.0f, 0.0f, 0.0f, 1.0f, 1.0f);
}

void GraphicsDevice::BindAlphaBlending() { gpu_->BindAlphaBlending(); }

void GraphicsDevice::EndScene() {
  // Nothing queued may miss the picture being presented.
  NotifyStateChange();
  if (!gpu_->IsNull()) platform::GetPlatform().SwapBuffers(vsync);
  gpu_->EndFrame();
}

namespace {

std::optional<std::string> ReadSource(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Writes the compiler's message to "shader-error.txt" in the player's folder (replaced atomically, so
// a half-written report never replaces a whole one) and tells the player where to look.
void ReportShaderError(const std::string& message, const std::string& file) {
  const std::string report = UserFilePath("shader-error.txt");
  std::string why = "there is no folder for the player's files";
  if (!report.empty() && files::ReplaceFileBytes(report, message, &why)) {
    std::fprintf(stderr, "quillmarch: the compiler's message is in %s\n", report.c_str());
  } else {
    std::fprintf(stderr, "quillmarch: the compiler's message could not be written (%s): %s\n", why.c_str(),
                 message.c_str());
  }
  platform::GetPlatform().ShowMessageBox("Error compiling shader.  Check shader-error.txt for message.", file);
}

// The source with each name defined right after the #version line (as 1, or as the value after a
// space: "NAME 3"); "#line 2" keeps the compiler's line numbers those of the file.
std::string WithDefines(const std::string& source, const std::vector<std::string>& defines) {
  if (defines.empty()) return source;
  const size_t version = source.find("#version");
  const size_t end = version == std::string::npos ? std::string::npos : source.find('\n', version);
  if (end == std::string::npos) return source;
  std::string text = source.substr(0, end + 1);
  for (const std::string& name : defines) {
    text += "#define ";
    text += name;
    text += name.find(' ') == std::string::npos ? " 1\n" : "\n";
  }
  text += "#line 2\n";
  text += source.substr(end + 1);
  return text;
}

platform::GpuShader CompileStage(platform::ShaderStage stage, const std::string& file,
                                 const std::vector<std::string>& defines = {}) {
  std::optional<std::string> source = ReadSource(file);
  if (!source) {
    platform::GetPlatform().ShowMessageBox(file, "Missing Shader File");
    return platform::GpuShader{};
  }
  source = WithDefines(*source, defines);
  std::string message;
  platform::GpuShader shader = Gpu().CompileShader(stage, *source, &message);
  if (!shader) ReportShaderError(message, file);
  return shader;
}

}  // namespace

platform::GpuProgram CompileShaderProgram(platform::ProgramKind kind, const std::string& vertexFile,
                                          const std::string& pixelFile, platform::GpuShader* vertex,
                                          platform::GpuShader* pixel, const std::vector<std::string>& defines) {
  platform::GpuDevice& gpu = Gpu();
  platform::GpuShader vs = CompileStage(platform::ShaderStage::Vertex, vertexFile, defines);
  if (!vs) return platform::GpuProgram{};
  platform::GpuShader ps = CompileStage(platform::ShaderStage::Pixel, pixelFile, defines);
  if (!ps) {
    gpu.DestroyShader(vs);
    return platform::GpuProgram{};
  }
  std::string message;
  platform::GpuProgram program = gpu.LinkProgram(kind, vs, ps, &message);
  if (!program) {
    // Linking joins both files; the report names the pixel shader, whose inputs are checked last.
    ReportShaderError(message, pixelFile);
    gpu.DestroyShader(vs);
    gpu.DestroyShader(ps);
    return program;
  }
  *vertex = vs;
  *pixel = ps;
  return program;
}
