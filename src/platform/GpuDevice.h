// The GPU layer the game's graphics draws through: buffers, textures, the two shader programs, the
// fixed pipeline states, clearing, drawing and reading the back buffer back. Two implementations:
// the OpenGL 3.3 core device (needs a current context) and the null device (headless runs and unit
// tests) that counts what it is asked to do and touches no GL. No GL type appears here: resources
// are small handles tagged with the device that made them, so a handle from another device (or a
// destroyed one) is ignored instead of freeing someone else's object.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// A handle: id 0 is "none". `device` is the serial of the device that created it.
struct GpuHandle {
  uint32_t id = 0;
  uint32_t device = 0;
  explicit operator bool() const { return id != 0; }
  bool operator==(const GpuHandle&) const = default;
};
struct GpuBuffer : GpuHandle {};
struct GpuTexture : GpuHandle {};
struct GpuShader : GpuHandle {};
struct GpuProgram : GpuHandle {};

// The vertex formats. Colour: position float3 + colour float4 (28 bytes). Texture: position
// float3 + texcoord float2 + object kind uint32 + the lights left out, uint32 x 4 (40 bytes).
// Overlay (the editor's interface): position float2 + texcoord float2 + colour as four bytes
// read as 0..1 (20 bytes).
enum class VertexLayout : uint32_t { Color = 0, Texture = 1, Overlay = 2 };
inline constexpr size_t kColorVertexBytes = 28;
inline constexpr size_t kTextureVertexBytes = 40;
inline constexpr size_t kOverlayVertexBytes = 20;

enum class ShaderStage : uint32_t { Vertex = 0, Pixel = 1 };
// Which uniform blocks a program declares: Color has "MatrixBuffer"; Texture has "MatrixBuffer",
// "FilterBuffer", "LightBuffer" and the sampler "shaderTexture" on unit 0; Overlay has
// "MatrixBuffer" and "shaderTexture".
enum class ProgramKind : uint32_t { Color = 0, Texture = 1, Overlay = 2 };

// Uniform block binding points (the block names above are bound to these at link time).
enum class UniformSlot : uint32_t { Matrix = 0, Filter = 1, Light = 2 };
inline constexpr size_t kMatrixBlockBytes = 192;
inline constexpr size_t kFilterBlockBytes = 768;
inline constexpr size_t kLightBlockBytes = 8224;

// What a device has been asked to do since the last ResetStats (both devices count).
struct GpuStats {
  uint64_t drawCalls = 0;
  uint64_t indicesDrawn = 0;
  uint64_t bufferUploads = 0;     // vertex/index buffer writes (creation with data included)
  uint64_t uniformUploads = 0;    // uniform block writes
  uint64_t uniformBytes = 0;
  uint64_t texturesCreated = 0;
  uint64_t clears = 0;
  uint64_t frames = 0;       // EndFrame calls
  uint64_t frameWaits = 0;   // BeginFrame calls that found the GPU still busy with an old frame
  uint64_t drawsWithoutDepth = 0;  // draw calls made with the depth test switched off (UseDepthTest)
  uint64_t drawsWithoutBlending = 0;  // draw calls made with blending switched off (UseBlending)
  uint64_t drawsNearest = 0;  // textured draw calls that sampled the nearest texel (UseSampling)
  uint64_t drawsScissored = 0;        // draw calls limited to a rectangle (UseScissor)
  uint64_t backBufferKeeps = 0;     // KeepBackBuffer calls that took a copy
  uint64_t backBufferRestores = 0;  // RestoreBackBuffer calls that put one back
};

// How texture unit 0 samples (GpuDevice::UseSampling).
enum class TextureSampling : uint32_t { Mipmaps = 0, FullSize = 1, Nearest = 2 };

// Frames the processor may run ahead of the GPU before BeginFrame waits.
inline constexpr int kFramesInFlight = 2;

// RGBA8 pixels, rows top to bottom.
struct PixelImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};

class GpuDevice {
 public:
  virtual ~GpuDevice() = default;
  GpuDevice(const GpuDevice&) = delete;
  GpuDevice& operator=(const GpuDevice&) = delete;

  virtual bool IsNull() const = 0;
  // Sets the fixed states (depth less-or-equal with writes, no stencil test, back-face culling
  // with clockwise fronts, the sampler) and the viewport. False when the device is unusable.
  virtual bool Initialize(int width, int height) = 0;
  // Frees every resource still alive. Safe to call twice.
  virtual void Shutdown() = 0;

  // Dynamic vertex buffer of `bytes` bytes in a layout; `data` may be null (zero-filled).
  virtual GpuBuffer CreateVertexBuffer(VertexLayout layout, const void* data, size_t bytes) = 0;
  // Index buffer of unsigned 32-bit indices.
  virtual GpuBuffer CreateIndexBuffer(const uint32_t* indices, size_t count) = 0;
  // Uniform block storage of `bytes` bytes.
  virtual GpuBuffer CreateUniformBuffer(size_t bytes) = 0;
  // Rewrites the start of a buffer with discard semantics (the old contents are forgotten).
  // False when the handle is not a live buffer of this device or `bytes` exceeds its size.
  virtual bool WriteBuffer(GpuBuffer buffer, const void* data, size_t bytes) = 0;
  // Writes `bytes` at `offset` of a vertex or index buffer. Without `mayBeInUse` the caller
  // promises that no queued draw reads the range written (a stream written front to back), so the
  // write never waits for the GPU. With it (a stream that starts over at its front) the write
  // waits until queued draws no longer read the buffer: the buffer keeps its one storage, where
  // handing it fresh storage would have the driver hold a second copy of the whole stream until
  // those draws finish, and free it again, every time the stream starts over. False when the
  // handle is not a live buffer of this device or the range does not fit.
  virtual bool WriteBufferAt(GpuBuffer buffer, size_t offset, const void* data, size_t bytes, bool mayBeInUse) = 0;
  // Frees the buffer and clears the handle.
  virtual void DestroyBuffer(GpuBuffer& buffer) = 0;

  // A 2-D RGBA8 texture from top-down rows; `srgb` marks the pixels as sRGB-encoded; `mips`
  // builds the full mip chain on the device. Empty handle on failure (too large, no memory).
  virtual GpuTexture CreateTexture(int width, int height, const uint8_t* rgba, bool srgb, bool mips) = 0;
  virtual void DestroyTexture(GpuTexture& texture) = 0;
  virtual int MaxTextureSize() const = 0;

  // Compiles GLSL source. On failure returns an empty handle and the compiler's message.
  virtual GpuShader CompileShader(ShaderStage stage, const std::string& source, std::string* message) = 0;
  // Links the two stages of a program and binds its uniform blocks and sampler to their slots.
  virtual GpuProgram LinkProgram(ProgramKind kind, GpuShader vertex, GpuShader pixel, std::string* message) = 0;
  virtual void DestroyShader(GpuShader& shader) = 0;
  virtual void DestroyProgram(GpuProgram& program) = 0;

  // Clears colour, depth and stencil of the back buffer.
  virtual void Clear(float r, float g, float b, float a, float depth) = 0;
  virtual void SetViewport(int x, int y, int width, int height) = 0;
  // src-alpha / one-minus-src-alpha for colour, one / zero for alpha.
  virtual void BindAlphaBlending() = 0;
  virtual void BindUniformBuffer(UniformSlot slot, GpuBuffer buffer) = 0;
  // The sampling of texture unit 0 for the draws that follow: with mipmaps (linear within and
  // between levels, the default), from the full-size level alone (linear), or the full-size
  // level's nearest texel. The first two give the same pixels wherever a texture is not drawn
  // smaller than its size (GL then samples the full-size level either way); the third gives them
  // too where every pixel centre falls on a texel centre (linear filtering then weighs that one
  // texel alone). Each costs a software renderer much less than the one before.
  virtual void UseSampling(TextureSampling sampling) = 0;
  // Whether the draws that follow run the depth test (less-or-equal, with writes; the default) or
  // go without it, which also writes no depth. A draw whose pixels always pass the test and whose
  // depth no later test reads looks the same either way, and skips the per-pixel depth work.
  virtual void UseDepthTest(bool test) = 0;
  bool DepthTestOn() const { return depthTest_; }
  // Whether the draws that follow blend as BindAlphaBlending set up (the default, which
  // BindAlphaBlending also restores) or write the program's colour as it is. A draw whose every
  // pixel comes out with alpha exactly 1 looks the same either way (source x 1 + destination x 0,
  // and the alpha factors one / zero keep the source's), and skips reading the back buffer.
  virtual void UseBlending(bool blend) = 0;
  bool BlendingOn() const { return blending_; }
  // Limits the draws that follow to the window pixels of columns x .. x + width - 1 and rows
  // y .. y + height - 1, counted from the bottom-left (a width or height of 0 or less: no limit,
  // the default). Pixels outside are left as they are; those inside are drawn as without it.
  virtual void UseScissor(int x, int y, int width, int height) = 0;
  bool ScissorOn() const { return scissor_; }
  // Whether the draws that follow drop back faces (clockwise fronts; the default) or draw both
  // sides, as an interface whose triangles come in either winding needs.
  virtual void UseCulling(bool cull) = 0;
  bool CullingOn() const { return culling_; }
  // The viewport last set, in window pixels from the bottom-left.
  virtual void GetViewport(int* x, int* y, int* width, int* height) const = 0;
  // One indexed triangle-list draw from index 0. An empty texture samples transparent black.
  virtual void Draw(GpuProgram program, GpuBuffer vertices, GpuBuffer indices, int indexCount,
                    GpuTexture texture) = 0;
  // The same with `baseVertex` added to every index (batches drawn from a stream).
  virtual void DrawBase(GpuProgram program, GpuBuffer vertices, GpuBuffer indices, int indexCount, int baseVertex,
                        GpuTexture texture) = 0;
  // The same from index `firstIndex` of the index buffer (many draws from one upload).
  virtual void DrawRange(GpuProgram program, GpuBuffer vertices, GpuBuffer indices, int firstIndex, int indexCount,
                         int baseVertex, GpuTexture texture) = 0;
  // Forgets which program, vertex array, texture and uniform buffers the device last bound, so the
  // next draw binds them again (after code outside the device, the editor's interface, drew).
  virtual void ForgetBoundState() = 0;
  // Waits until the GPU has finished every command issued so far (benchmarks time whole frames).
  virtual void Finish() = 0;
  // Frame pacing: BeginFrame waits until the frame kFramesInFlight frames back has finished on the
  // GPU; EndFrame (after presenting) marks where this frame's commands end. Without it a driver
  // that never blocks on present (an offscreen window, no vertical sync, a software renderer) lets
  // the program queue frame after frame, each holding its recorded commands in memory.
  virtual void BeginFrame() = 0;
  virtual void EndFrame() = 0;
  // One copy of the back buffer's colour within the viewport, for a frame that would draw the same
  // pixels again: KeepBackBuffer replaces the copy with what the back buffer holds now;
  // RestoreBackBuffer writes the copy back over the viewport, byte for byte, and leaves depth and
  // stencil alone. False when there is no copy or the viewport has moved or changed size since.
  // The null device keeps no pixels, only whether it holds a copy and of which viewport.
  virtual void KeepBackBuffer() = 0;
  virtual bool RestoreBackBuffer() = 0;
  // Reads the current back buffer (before it is presented). False on the null device.
  virtual bool ReadBackBuffer(PixelImage* out) = 0;

  const GpuStats& Stats() const { return stats_; }
  void ResetStats() { stats_ = GpuStats{}; }
  uint32_t Serial() const { return serial_; }

 protected:
  GpuDevice();
  // A fresh handle of kind H tagged with this device.
  template <class H>
  H NewHandle() {
    H handle;
    handle.id = nextHandleId_++;
    handle.device = serial_;
    return handle;
  }
  GpuStats stats_;
  uint32_t serial_;
  bool depthTest_ = true;
  bool blending_ = true;
  bool scissor_ = false;
  bool culling_ = true;

 private:
  uint32_t nextHandleId_ = 1;
};

// The OpenGL 3.3 core device. Create it only with a context current (Platform::HasGlContext);
// its Initialize fails when that context is older than 3.3.
std::unique_ptr<GpuDevice> CreateGlGpuDevice();
std::unique_ptr<GpuDevice> CreateNullGpuDevice();

}  // namespace platform
