// The null GPU device: headless runs and unit tests. It keeps track of which handles are alive and
// how big buffers are (so misuse fails the same way as on the real device) and counts draws and
// uploads; it never touches GL.
#include <array>
#include <atomic>
#include <optional>
#include <unordered_map>

#include "platform/GpuDevice.h"

namespace platform {

GpuDevice::GpuDevice() {
  static std::atomic<uint32_t> nextSerial{1};
  serial_ = nextSerial++;
}

namespace {

class NullGpuDevice final : public GpuDevice {
 public:
  bool IsNull() const override { return true; }
  bool Initialize(int, int) override { return true; }
  void Shutdown() override {
    buffers_.clear();
    textures_.clear();
    kept_.reset();
  }

  GpuBuffer CreateVertexBuffer(VertexLayout, const void* data, size_t bytes) override {
    if (data != nullptr) ++stats_.bufferUploads;
    return MakeBuffer(bytes);
  }
  GpuBuffer CreateIndexBuffer(const uint32_t* indices, size_t count) override {
    if (indices != nullptr) ++stats_.bufferUploads;
    return MakeBuffer(count * sizeof(uint32_t));
  }
  GpuBuffer CreateUniformBuffer(size_t bytes) override {
    GpuBuffer b = MakeBuffer(bytes);
    uniforms_[b.id] = true;
    return b;
  }
  bool WriteBuffer(GpuBuffer buffer, const void* data, size_t bytes) override {
    if (buffer.device != serial_ || data == nullptr) return false;
    auto it = buffers_.find(buffer.id);
    if (it == buffers_.end() || bytes > it->second) return false;
    if (uniforms_.count(buffer.id) != 0) {
      ++stats_.uniformUploads;
      stats_.uniformBytes += bytes;
    } else {
      ++stats_.bufferUploads;
    }
    return true;
  }
  bool WriteBufferAt(GpuBuffer buffer, size_t offset, const void* data, size_t bytes, bool) override {
    if (buffer.device != serial_ || data == nullptr || uniforms_.count(buffer.id) != 0) return false;
    auto it = buffers_.find(buffer.id);
    if (it == buffers_.end() || offset > it->second || bytes > it->second - offset) return false;
    ++stats_.bufferUploads;
    return true;
  }
  void DestroyBuffer(GpuBuffer& buffer) override {
    if (buffer.device == serial_) {
      buffers_.erase(buffer.id);
      uniforms_.erase(buffer.id);
    }
    buffer = GpuBuffer{};
  }

  GpuTexture CreateTexture(int width, int height, const uint8_t* rgba, bool, bool) override {
    if (width <= 0 || height <= 0 || rgba == nullptr || width > MaxTextureSize() || height > MaxTextureSize()) {
      return GpuTexture{};
    }
    ++stats_.texturesCreated;
    GpuTexture t = NewHandle<GpuTexture>();
    textures_[t.id] = true;
    return t;
  }
  void DestroyTexture(GpuTexture& texture) override {
    if (texture.device == serial_) textures_.erase(texture.id);
    texture = GpuTexture{};
  }
  int MaxTextureSize() const override { return 16384; }

  GpuShader CompileShader(ShaderStage, const std::string&, std::string*) override {
    return NewHandle<GpuShader>();
  }
  GpuProgram LinkProgram(ProgramKind, GpuShader vertex, GpuShader pixel, std::string* message) override {
    if (!vertex || !pixel) {
      if (message != nullptr) *message = "a shader stage is missing";
      return GpuProgram{};
    }
    return NewHandle<GpuProgram>();
  }
  void DestroyShader(GpuShader& shader) override { shader = GpuShader{}; }
  void DestroyProgram(GpuProgram& program) override { program = GpuProgram{}; }

  void Clear(float, float, float, float, float) override { ++stats_.clears; }
  void SetViewport(int x, int y, int width, int height) override { viewport_ = {x, y, width, height}; }
  void BindAlphaBlending() override { blending_ = true; }
  void UseSampling(TextureSampling sampling) override { sampling_ = sampling; }
  void UseDepthTest(bool test) override { depthTest_ = test; }
  void UseBlending(bool blend) override { blending_ = blend; }
  void UseScissor(int, int, int width, int height) override { scissor_ = width > 0 && height > 0; }
  void UseCulling(bool cull) override { culling_ = cull; }
  void GetViewport(int* x, int* y, int* width, int* height) const override {
    *x = viewport_[0];
    *y = viewport_[1];
    *width = viewport_[2];
    *height = viewport_[3];
  }
  void BindUniformBuffer(UniformSlot, GpuBuffer) override {}
  void Draw(GpuProgram program, GpuBuffer vertices, GpuBuffer indices, int indexCount, GpuTexture texture) override {
    DrawBase(program, vertices, indices, indexCount, 0, texture);
  }
  void DrawBase(GpuProgram program, GpuBuffer vertices, GpuBuffer indices, int indexCount, int baseVertex,
                GpuTexture texture) override {
    DrawRange(program, vertices, indices, 0, indexCount, baseVertex, texture);
  }
  void DrawRange(GpuProgram program, GpuBuffer vertices, GpuBuffer indices, int firstIndex, int indexCount,
                 int baseVertex, GpuTexture texture) override {
    if (!program || indexCount <= 0 || firstIndex < 0 || baseVertex < 0 || vertices.device != serial_ ||
        indices.device != serial_) {
      return;
    }
    auto ib = buffers_.find(indices.id);
    if (buffers_.count(vertices.id) == 0 || ib == buffers_.end()) return;
    if ((static_cast<size_t>(firstIndex) + static_cast<size_t>(indexCount)) * sizeof(uint32_t) > ib->second) return;
    ++stats_.drawCalls;
    if (!depthTest_) ++stats_.drawsWithoutDepth;
    if (!blending_) ++stats_.drawsWithoutBlending;
    if (texture && sampling_ == TextureSampling::Nearest) ++stats_.drawsNearest;
    if (scissor_) ++stats_.drawsScissored;
    stats_.indicesDrawn += static_cast<uint64_t>(indexCount);
  }
  void ForgetBoundState() override {}
  void Finish() override {}
  void BeginFrame() override {}
  void EndFrame() override { ++stats_.frames; }
  void KeepBackBuffer() override {
    kept_ = viewport_;
    ++stats_.backBufferKeeps;
  }
  bool RestoreBackBuffer() override {
    if (!kept_ || *kept_ != viewport_) return false;
    ++stats_.backBufferRestores;
    return true;
  }
  bool ReadBackBuffer(PixelImage*) override { return false; }

 private:
  GpuBuffer MakeBuffer(size_t bytes) {
    if (bytes == 0) return GpuBuffer{};
    GpuBuffer b = NewHandle<GpuBuffer>();
    buffers_[b.id] = bytes;
    return b;
  }

  std::unordered_map<uint32_t, size_t> buffers_;
  TextureSampling sampling_ = TextureSampling::Mipmaps;
  std::unordered_map<uint32_t, bool> uniforms_;
  std::unordered_map<uint32_t, bool> textures_;
  std::array<int, 4> viewport_ = {0, 0, 0, 0};
  std::optional<std::array<int, 4>> kept_;  // the viewport of the back buffer copy, if one is held
};

}  // namespace

std::unique_ptr<GpuDevice> CreateNullGpuDevice() { return std::make_unique<NullGpuDevice>(); }

}  // namespace platform
