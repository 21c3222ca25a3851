// The OpenGL 3.3 core device. The game's pictures are described for a left-handed camera looking
// along +z with a 0..1 depth range and clockwise front faces; the differences from GL are handled
// here and in the vertex shaders:
// - depth: the projection maps depth to 0..w, as the game's depth range expects. Where the driver
//   has clip control (GL 4.5 or ARB_clip_control, Mesa has it) clip space is switched to 0..w, so
//   depth values reach the buffer unchanged: the game's layers differ by as little as one unit at
//   1000 units from the camera, about two steps of a 24-bit depth buffer, and a remap in float
//   would round them together. Without clip control the vertex shaders get
//   DEPTH_MINUS_ONE_TO_ONE defined and remap depth to GL's -w..w themselves;
// - winding: the quads' bottom-left, top-left, top-right order is clockwise on screen (y up), so
//   glFrontFace(GL_CW) with back faces culled;
// - y: GL's window origin is bottom-left while NDC y points up in both APIs, so only the read-back
//   rows are flipped to give top-down pictures.
// Redundant binds are skipped (program, vertex array, index buffer per vertex array, texture,
// uniform buffers per slot), and no uniform location is looked up per draw.
#include <epoxy/gl.h>

#include <cfloat>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "platform/GpuDevice.h"

namespace platform {
namespace {

// Turns a GL capability on or off.
void Switch(GLenum capability, bool on) {
  if (on) {
    glEnable(capability);
  } else {
    glDisable(capability);
  }
}

struct GlBuffer {
  GLuint name = 0;
  GLuint vertexArray = 0;      // vertex buffers only: the layout bound to this buffer
  uint32_t indexInArray = 0;   // handle id of the index buffer last attached to that vertex array
                               // (ids are never reused, unlike GL names)
  size_t bytes = 0;
};

struct BlockLayout {
  const char* name;
  UniformSlot slot;
  size_t bytes;
};

constexpr BlockLayout kColorBlocks[] = {{"MatrixBuffer", UniformSlot::Matrix, kMatrixBlockBytes}};
constexpr BlockLayout kTextureBlocks[] = {{"MatrixBuffer", UniformSlot::Matrix, kMatrixBlockBytes},
                                        {"FilterBuffer", UniformSlot::Filter, kFilterBlockBytes},
                                        {"LightBuffer", UniformSlot::Light, kLightBlockBytes}};

class GlGpuDevice final : public GpuDevice {
 public:
  ~GlGpuDevice() override { Shutdown(); }

  bool IsNull() const override { return false; }

  bool Initialize(int width, int height) override {
    if (epoxy_gl_version() < 33) return false;
    live_ = true;
    while (glGetError() != GL_NO_ERROR) {
    }
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);

    // Depth: less-or-equal, writes on. At equal depth the later draw wins.
    glEnable(GL_DEPTH_TEST);
    depthTest_ = true;
    glDepthMask(GL_TRUE);
    glDepthFunc(GL_LEQUAL);
    glDepthRange(0.0, 1.0);
    zeroToOneDepth_ = epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
    if (zeroToOneDepth_) glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    // Stencil: off. Nothing in the game tests or reads the stencil buffer (a test that always
    // passes, counting depth failures nobody looks at), so no pixel depends on it, and a software
    // renderer pays for a stencil test on every pixel it shades. The ops stay set for whoever
    // turns the test on.
    glDisable(GL_STENCIL_TEST);
    glStencilMask(0xFF);
    glStencilFuncSeparate(GL_FRONT_AND_BACK, GL_ALWAYS, 1, 0xFF);
    glStencilOpSeparate(GL_FRONT, GL_KEEP, GL_INCR, GL_KEEP);
    glStencilOpSeparate(GL_BACK, GL_KEEP, GL_DECR, GL_KEEP);
    // Solid fill, back faces culled, clockwise fronts.
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CW);
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_MULTISAMPLE);
    glDisable(GL_FRAMEBUFFER_SRGB);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // Blending starts as the device's state says (on, as BindAlphaBlending sets it up).
    BindAlphaBlending();

    SetViewport(0, 0, width, height);

    // The sampler of texture unit 0: linear with mips, wrapping in every direction.
    sampler_ = MakeSampler(GL_LINEAR_MIPMAP_LINEAR);
    glBindSampler(0, sampler_);
    glActiveTexture(GL_TEXTURE0);
    // The same without mipmaps, for draws that never shrink their texture (UseSampling). On Mesa's
    // software renderer sampling between mip levels is the largest single cost of a textured pixel
    // (a 20 x 20 sprite of a 64 x 64 picture costs about 1.6 times what it does with this sampler,
    // bench/pixel_costs.sh), but a shrunk picture needs it to look as it should.
    fullSizeSampler_ = MakeSampler(GL_LINEAR);
    // The full-size level's nearest texel, for draws whose pixel centres all fall on texel centres,
    // where linear filtering weighs one texel alone (UseSampling). The software renderer's nearest
    // sample costs about half its linear one (a fetch instead of four and the weighing).
    nearestSampler_ = MakeSampler(GL_NEAREST, GL_NEAREST);
    boundSampler_ = sampler_;

    // A draw without a texture samples this: transparent black, as an unbound view would give.
    const uint8_t clear[4] = {0, 0, 0, 0};
    glGenTextures(1, &emptyTexture_);
    glBindTexture(GL_TEXTURE_2D, emptyTexture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, clear);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    boundTexture_ = emptyTexture_;
    return glGetError() == GL_NO_ERROR;
  }

  void Shutdown() override {
    if (!live_) return;
    live_ = false;
    glUseProgram(0);
    glBindVertexArray(0);
    for (auto& [id, b] : buffers_) {
      if (b.vertexArray != 0) glDeleteVertexArrays(1, &b.vertexArray);
      glDeleteBuffers(1, &b.name);
    }
    buffers_.clear();
    for (auto& [id, name] : textures_) glDeleteTextures(1, &name);
    textures_.clear();
    for (auto& [id, name] : programs_) glDeleteProgram(name);
    programs_.clear();
    for (auto& [id, name] : shaders_) glDeleteShader(name);
    shaders_.clear();
    for (GLsync& fence : frameFences_) {
      if (fence != nullptr) glDeleteSync(fence);
      fence = nullptr;
    }
    if (copyFramebuffer_ != 0) glDeleteFramebuffers(1, &copyFramebuffer_);
    if (copyTexture_ != 0) glDeleteTextures(1, &copyTexture_);
    copyFramebuffer_ = copyTexture_ = 0;
    copyHeld_ = false;
    if (emptyTexture_ != 0) glDeleteTextures(1, &emptyTexture_);
    if (sampler_ != 0) glDeleteSamplers(1, &sampler_);
    if (fullSizeSampler_ != 0) glDeleteSamplers(1, &fullSizeSampler_);
    if (nearestSampler_ != 0) glDeleteSamplers(1, &nearestSampler_);
    fullSizeSampler_ = nearestSampler_ = boundSampler_ = 0;
    emptyTexture_ = 0;
    sampler_ = 0;
    currentProgram_ = currentArray_ = boundTexture_ = 0;
    for (GLuint& b : boundUniforms_) b = 0;
  }

  GpuBuffer CreateVertexBuffer(VertexLayout layout, const void* data, size_t bytes) override {
    if (bytes == 0) return GpuBuffer{};
    GlBuffer b;
    b.bytes = bytes;
    glGenBuffers(1, &b.name);
    glGenVertexArrays(1, &b.vertexArray);
    glBindVertexArray(b.vertexArray);
    currentArray_ = b.vertexArray;
    glBindBuffer(GL_ARRAY_BUFFER, b.name);
    Fill(GL_ARRAY_BUFFER, data, bytes, GL_DYNAMIC_DRAW);
    if (layout == VertexLayout::Color) {
      glEnableVertexAttribArray(0);
      glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kColorVertexBytes, reinterpret_cast<void*>(0));
      glEnableVertexAttribArray(1);
      glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, kColorVertexBytes, reinterpret_cast<void*>(12));
    } else if (layout == VertexLayout::Overlay) {
      glEnableVertexAttribArray(0);
      glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, kOverlayVertexBytes, reinterpret_cast<void*>(0));
      glEnableVertexAttribArray(1);
      glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, kOverlayVertexBytes, reinterpret_cast<void*>(8));
      glEnableVertexAttribArray(2);
      glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, kOverlayVertexBytes, reinterpret_cast<void*>(16));
    } else {
      glEnableVertexAttribArray(0);
      glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kTextureVertexBytes, reinterpret_cast<void*>(0));
      glEnableVertexAttribArray(1);
      glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, kTextureVertexBytes, reinterpret_cast<void*>(12));
      glEnableVertexAttribArray(2);
      // The object kind stays an integer all the way to the pixel shader.
      glVertexAttribIPointer(2, 1, GL_UNSIGNED_INT, kTextureVertexBytes, reinterpret_cast<void*>(20));
      glEnableVertexAttribArray(3);
      glVertexAttribIPointer(3, 4, GL_UNSIGNED_INT, kTextureVertexBytes, reinterpret_cast<void*>(24));
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    if (data != nullptr) ++stats_.bufferUploads;
    return Register(b);
  }

  GpuBuffer CreateIndexBuffer(const uint32_t* indices, size_t count) override {
    if (count == 0) return GpuBuffer{};
    GlBuffer b;
    b.bytes = count * sizeof(uint32_t);
    glGenBuffers(1, &b.name);
    // Writes go through the copy-write target: binding an element buffer would change the index
    // buffer of whichever vertex array happens to be bound.
    glBindBuffer(GL_COPY_WRITE_BUFFER, b.name);
    Fill(GL_COPY_WRITE_BUFFER, indices, b.bytes, GL_STATIC_DRAW);
    if (indices != nullptr) ++stats_.bufferUploads;
    return Register(b);
  }

  GpuBuffer CreateUniformBuffer(size_t bytes) override {
    if (bytes == 0) return GpuBuffer{};
    GlBuffer b;
    b.bytes = bytes;
    glGenBuffers(1, &b.name);
    glBindBuffer(GL_COPY_WRITE_BUFFER, b.name);
    Fill(GL_COPY_WRITE_BUFFER, nullptr, bytes, GL_DYNAMIC_DRAW);
    GpuBuffer handle = Register(b);
    uniformIds_[handle.id] = true;
    return handle;
  }

  bool WriteBuffer(GpuBuffer buffer, const void* data, size_t bytes) override {
    GlBuffer* b = Find(buffer);
    if (b == nullptr || data == nullptr || bytes > b->bytes) return false;
    if (bytes == 0) return true;
    glBindBuffer(GL_COPY_WRITE_BUFFER, b->name);
    if (bytes == b->bytes) {
      // Whole buffer: orphan and fill in one call (the driver hands out fresh storage if the old
      // one is still in use by a pending draw).
      glBufferData(GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(bytes), data, GL_DYNAMIC_DRAW);
    } else {
      glBufferSubData(GL_COPY_WRITE_BUFFER, 0, static_cast<GLsizeiptr>(bytes), data);
    }
    if (uniformIds_.count(buffer.id) != 0) {
      ++stats_.uniformUploads;
      stats_.uniformBytes += bytes;
    } else {
      ++stats_.bufferUploads;
    }
    return true;
  }

  bool WriteBufferAt(GpuBuffer buffer, size_t offset, const void* data, size_t bytes, bool mayBeInUse) override {
    GlBuffer* b = Find(buffer);
    if (b == nullptr || data == nullptr || uniformIds_.count(buffer.id) != 0) return false;
    if (offset > b->bytes || bytes > b->bytes - offset) return false;
    if (bytes == 0) return true;
    glBindBuffer(GL_COPY_WRITE_BUFFER, b->name);
    // Unsynchronised where no queued draw reads the range (see the interface), so the driver need
    // not wait for the GPU or copy the buffer. Otherwise a plain mapped write: the driver waits for
    // the draws reading the buffer. Orphaning (glBufferData) would not wait, but Mesa then keeps
    // the old storage alive until those draws finish and allocates a fresh one of the whole size,
    // which showed as a saw-tooth of the stream's size in the resident memory.
    const GLbitfield access = mayBeInUse ? GL_MAP_WRITE_BIT
                                         : GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT;
    void* at = glMapBufferRange(GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes), access);
    if (at == nullptr) {
      glBufferSubData(GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(bytes), data);
    } else {
      std::memcpy(at, data, bytes);
      glUnmapBuffer(GL_COPY_WRITE_BUFFER);
    }
    ++stats_.bufferUploads;
    return true;
  }

  void DestroyBuffer(GpuBuffer& buffer) override {
    if (GlBuffer* b = Find(buffer)) {
      if (b->vertexArray != 0) {
        if (currentArray_ == b->vertexArray) {
          glBindVertexArray(0);
          currentArray_ = 0;
        }
        glDeleteVertexArrays(1, &b->vertexArray);
      }
      for (GLuint& bound : boundUniforms_) {
        if (bound == b->name) bound = 0;
      }
      glDeleteBuffers(1, &b->name);
      buffers_.erase(buffer.id);
      uniformIds_.erase(buffer.id);
    }
    buffer = GpuBuffer{};
  }

  GpuTexture CreateTexture(int width, int height, const uint8_t* rgba, bool srgb, bool mips) override {
    if (width <= 0 || height <= 0 || rgba == nullptr || width > maxTextureSize_ || height > maxTextureSize_) {
      return GpuTexture{};
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    boundTexture_ = name;
    glTexImage2D(GL_TEXTURE_2D, 0, srgb ? GL_SRGB8_ALPHA8 : GL_RGBA8, width, height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, rgba);
    if (mips) {
      glGenerateMipmap(GL_TEXTURE_2D);
    } else {
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    }
    if (glGetError() != GL_NO_ERROR) {
      glDeleteTextures(1, &name);
      glBindTexture(GL_TEXTURE_2D, emptyTexture_);
      boundTexture_ = emptyTexture_;
      return GpuTexture{};
    }
    ++stats_.texturesCreated;
    GpuTexture t = NewHandle<GpuTexture>();
    textures_[t.id] = name;
    return t;
  }

  void DestroyTexture(GpuTexture& texture) override {
    if (texture.device == serial_) {
      auto it = textures_.find(texture.id);
      if (it != textures_.end()) {
        if (boundTexture_ == it->second) boundTexture_ = 0;
        glDeleteTextures(1, &it->second);
        textures_.erase(it);
      }
    }
    texture = GpuTexture{};
  }

  int MaxTextureSize() const override { return maxTextureSize_; }

  GpuShader CompileShader(ShaderStage stage, const std::string& source, std::string* message) override {
    GLuint shader = glCreateShader(stage == ShaderStage::Vertex ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
    std::string text = stage == ShaderStage::Vertex && !zeroToOneDepth_ ? WithDefine(source, "DEPTH_MINUS_ONE_TO_ONE") : source;
    const char* chars = text.c_str();
    GLint length = static_cast<GLint>(text.size());
    glShaderSource(shader, 1, &chars, &length);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok != GL_TRUE) {
      if (message != nullptr) *message = InfoLog(shader, false);
      if (message != nullptr && message->empty()) *message = "the shader did not compile (no message)";
      glDeleteShader(shader);
      return GpuShader{};
    }
    GpuShader s = NewHandle<GpuShader>();
    shaders_[s.id] = shader;
    return s;
  }

  GpuProgram LinkProgram(ProgramKind kind, GpuShader vertex, GpuShader pixel, std::string* message) override {
    auto vs = shaders_.find(vertex.id);
    auto ps = shaders_.find(pixel.id);
    if (vertex.device != serial_ || pixel.device != serial_ || vs == shaders_.end() || ps == shaders_.end()) {
      if (message != nullptr) *message = "a shader stage is missing";
      return GpuProgram{};
    }
    GLuint program = glCreateProgram();
    glAttachShader(program, vs->second);
    glAttachShader(program, ps->second);
    glLinkProgram(program);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    std::string problem;
    if (ok != GL_TRUE) {
      problem = InfoLog(program, true);
      if (problem.empty()) problem = "the program did not link (no message)";
    } else {
      problem = BindBlocks(kind, program);
    }
    if (!problem.empty()) {
      if (message != nullptr) *message = problem;
      glDeleteProgram(program);
      return GpuProgram{};
    }
    GpuProgram p = NewHandle<GpuProgram>();
    programs_[p.id] = program;
    return p;
  }

  void DestroyShader(GpuShader& shader) override {
    if (shader.device == serial_) {
      auto it = shaders_.find(shader.id);
      if (it != shaders_.end()) {
        glDeleteShader(it->second);
        shaders_.erase(it);
      }
    }
    shader = GpuShader{};
  }

  void DestroyProgram(GpuProgram& program) override {
    if (program.device == serial_) {
      auto it = programs_.find(program.id);
      if (it != programs_.end()) {
        if (currentProgram_ == it->second) {
          glUseProgram(0);
          currentProgram_ = 0;
        }
        glDeleteProgram(it->second);
        programs_.erase(it);
      }
    }
    program = GpuProgram{};
  }

  void Clear(float r, float g, float b, float a, float depth) override {
    glClearColor(r, g, b, a);
    glClearDepth(depth);
    glClearStencil(0);
    // Clearing writes through the masks: make sure all of them are open. The stencil is cleared
    // with the depth although nothing uses it: they share one buffer, and clearing depth alone
    // would make the driver keep the stencil bits of every pixel (a slower, masked clear).
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glStencilMask(0xFF);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    ++stats_.clears;
  }

  void SetViewport(int x, int y, int width, int height) override {
    glViewport(x, y, width, height);
    viewport_[0] = x;
    viewport_[1] = y;
    viewport_[2] = width;
    viewport_[3] = height;
  }

  void BindAlphaBlending() override {
    // Separate alpha factors cost Mesa's software renderer nothing measurable over one blend
    // function (bench/pixel_costs.sh), so the back buffer's alpha keeps the drawn pixel's.
    glEnable(GL_BLEND);
    blending_ = true;
    glBlendEquationSeparate(GL_FUNC_ADD, GL_FUNC_ADD);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO);
    glBlendColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  }

  void UseSampling(TextureSampling sampling) override {
    GLuint wanted = sampler_;
    if (sampling == TextureSampling::FullSize && fullSizeSampler_ != 0) wanted = fullSizeSampler_;
    if (sampling == TextureSampling::Nearest && nearestSampler_ != 0) wanted = nearestSampler_;
    if (wanted == boundSampler_) return;
    glBindSampler(0, wanted);
    boundSampler_ = wanted;
  }

  void UseDepthTest(bool test) override {
    if (test == depthTest_) return;
    Switch(GL_DEPTH_TEST, test);
    depthTest_ = test;
  }

  void UseBlending(bool blend) override {
    if (blend == blending_) return;
    Switch(GL_BLEND, blend);
    blending_ = blend;
  }

  void UseScissor(int x, int y, int width, int height) override {
    const bool on = width > 0 && height > 0;
    if (on != scissor_) Switch(GL_SCISSOR_TEST, on);
    scissor_ = on;
    if (on) glScissor(x, y, width, height);
  }

  void UseCulling(bool cull) override {
    if (cull == culling_) return;
    Switch(GL_CULL_FACE, cull);
    culling_ = cull;
  }

  void GetViewport(int* x, int* y, int* width, int* height) const override {
    *x = viewport_[0];
    *y = viewport_[1];
    *width = viewport_[2];
    *height = viewport_[3];
  }

  void BindUniformBuffer(UniformSlot slot, GpuBuffer buffer) override {
    GlBuffer* b = Find(buffer);
    GLuint name = b != nullptr ? b->name : 0;
    GLuint index = static_cast<GLuint>(slot);
    if (index >= 3 || boundUniforms_[index] == name) return;
    glBindBufferBase(GL_UNIFORM_BUFFER, index, name);
    boundUniforms_[index] = name;
  }

  void Draw(GpuProgram program, GpuBuffer vertices, GpuBuffer indices, int indexCount, GpuTexture texture) override {
    DrawBase(program, vertices, indices, indexCount, 0, texture);
  }

  void DrawBase(GpuProgram program, GpuBuffer vertices, GpuBuffer indices, int indexCount, int baseVertex,
                GpuTexture texture) override {
    DrawRange(program, vertices, indices, 0, indexCount, baseVertex, texture);
  }

  void DrawRange(GpuProgram program, GpuBuffer vertices, GpuBuffer indices, int firstIndex, int indexCount,
                 int baseVertex, GpuTexture texture) override {
    if (indexCount <= 0 || firstIndex < 0 || baseVertex < 0 || program.device != serial_) return;
    auto p = programs_.find(program.id);
    GlBuffer* vb = Find(vertices);
    GlBuffer* ib = Find(indices);
    if (p == programs_.end() || vb == nullptr || vb->vertexArray == 0 || ib == nullptr) return;
    if ((static_cast<size_t>(firstIndex) + static_cast<size_t>(indexCount)) * sizeof(uint32_t) > ib->bytes) return;
    if (currentProgram_ != p->second) {
      glUseProgram(p->second);
      currentProgram_ = p->second;
    }
    if (currentArray_ != vb->vertexArray) {
      glBindVertexArray(vb->vertexArray);
      currentArray_ = vb->vertexArray;
    }
    if (vb->indexInArray != indices.id) {
      glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib->name);
      vb->indexInArray = indices.id;
    }
    GLuint textureName = emptyTexture_;
    if (texture.device == serial_) {
      auto t = textures_.find(texture.id);
      if (t != textures_.end()) textureName = t->second;
    }
    if (boundTexture_ != textureName) {
      glBindTexture(GL_TEXTURE_2D, textureName);
      boundTexture_ = textureName;
    }
    const void* first = reinterpret_cast<const void*>(static_cast<uintptr_t>(firstIndex) * sizeof(uint32_t));
    if (baseVertex == 0) {
      glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, first);
    } else {
      glDrawElementsBaseVertex(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT, first, baseVertex);
    }
    ++stats_.drawCalls;
    if (!depthTest_) ++stats_.drawsWithoutDepth;
    if (!blending_) ++stats_.drawsWithoutBlending;
    if (textureName != emptyTexture_ && boundSampler_ != 0 && boundSampler_ == nearestSampler_) ++stats_.drawsNearest;
    if (scissor_) ++stats_.drawsScissored;
    stats_.indicesDrawn += static_cast<uint64_t>(indexCount);
  }

  void ForgetBoundState() override {
    currentProgram_ = currentArray_ = boundTexture_ = 0;
    for (GLuint& b : boundUniforms_) b = ~0u;
    for (auto& [id, b] : buffers_) b.indexInArray = 0;
    // Texture unit 0 and its sampler are what the texture program samples.
    glActiveTexture(GL_TEXTURE0);
    glBindSampler(0, sampler_);
    boundSampler_ = sampler_;
    // Code outside the device may have switched the depth test or blending: they are put back as
    // the device has them.
    Switch(GL_DEPTH_TEST, depthTest_);
    Switch(GL_BLEND, blending_);
    Switch(GL_CULL_FACE, culling_);
  }

  void Finish() override { glFinish(); }

  void BeginFrame() override {
    GLsync& fence = frameFences_[frameIndex_ % kFramesInFlight];
    if (fence == nullptr) return;
    // A quick look first, so the stats tell how often pacing held the processor back.
    GLenum state = glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 0);
    if (state == GL_TIMEOUT_EXPIRED) {
      ++stats_.frameWaits;
      // A second at a time; a lost context answers with an error rather than hanging here.
      do {
        state = glClientWaitSync(fence, GL_SYNC_FLUSH_COMMANDS_BIT, 1000000000ull);
      } while (state == GL_TIMEOUT_EXPIRED);
    }
    glDeleteSync(fence);
    fence = nullptr;
  }

  void EndFrame() override {
    GLsync& fence = frameFences_[frameIndex_ % kFramesInFlight];
    if (fence != nullptr) glDeleteSync(fence);
    fence = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    // The fence has to reach the driver now, or a later wait on it would have nothing to wait for.
    glFlush();
    ++frameIndex_;
    ++stats_.frames;
  }

  void KeepBackBuffer() override {
    copyHeld_ = false;
    const int w = viewport_[2];
    const int h = viewport_[3];
    if (w <= 0 || h <= 0) return;
    while (glGetError() != GL_NO_ERROR) {
    }
    if (copyTexture_ == 0) {
      glGenTextures(1, &copyTexture_);
      glGenFramebuffers(1, &copyFramebuffer_);
      copySize_[0] = copySize_[1] = 0;
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, copyFramebuffer_);
    if (copySize_[0] != w || copySize_[1] != h) {
      glBindTexture(GL_TEXTURE_2D, copyTexture_);
      boundTexture_ = copyTexture_;
      // In the window buffer's byte order (BGRA on Mesa): copying either way keeps each texel's
      // bytes in place.
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
      glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, copyTexture_, 0);
      copySize_[0] = w;
      copySize_[1] = h;
    }
    const bool complete = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    if (complete) {
      glBlitFramebuffer(viewport_[0], viewport_[1], viewport_[0] + w, viewport_[1] + h, 0, 0, w, h, GL_COLOR_BUFFER_BIT,
                        GL_NEAREST);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete || glGetError() != GL_NO_ERROR) return;
    std::memcpy(copyViewport_, viewport_, sizeof(copyViewport_));
    copyHeld_ = true;
    ++stats_.backBufferKeeps;
  }

  bool RestoreBackBuffer() override {
    if (!copyHeld_ || std::memcmp(copyViewport_, viewport_, sizeof(copyViewport_)) != 0) return false;
    const int w = viewport_[2];
    const int h = viewport_[3];
    // A blit (same size, no filtering, colour alone) rather than a draw of the copy. Mesa's software
    // renderer does not copy it as plain memory here (the window's buffer reports an sRGB encoding
    // that no format of the copy matched), but its blit pass fetches texels unfiltered into the
    // colour buffer alone, without the depth buffer: the main menu took about 5.5 ms of processor
    // time per frame with it, about 8.5 ms drawing the copy with a texel-fetch program of our own,
    // and about 10 ms shading its backdrop.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, copyFramebuffer_);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, w, h, viewport_[0], viewport_[1], viewport_[0] + w, viewport_[1] + h, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    ++stats_.backBufferRestores;
    return true;
  }

  bool ReadBackBuffer(PixelImage* out) override {
    if (out == nullptr || viewport_[2] <= 0 || viewport_[3] <= 0) return false;
    int w = viewport_[2];
    int h = viewport_[3];
    std::vector<uint8_t> raw(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(viewport_[0], viewport_[1], w, h, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());
    if (glGetError() != GL_NO_ERROR) return false;
    // GL rows run bottom to top.
    out->width = w;
    out->height = h;
    out->rgba.resize(raw.size());
    size_t row = static_cast<size_t>(w) * 4;
    for (int y = 0; y < h; ++y) {
      std::memcpy(out->rgba.data() + static_cast<size_t>(y) * row, raw.data() + static_cast<size_t>(h - 1 - y) * row, row);
    }
    return true;
  }

 private:
  // A sampler of texture unit 0's kind: linear magnification unless asked otherwise, wrapping in
  // every direction, every mip level open (the minification filter says whether mips are used at all).
  static GLuint MakeSampler(GLint minFilter, GLint magFilter = GL_LINEAR) {
    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, minFilter);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, magFilter);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, GL_REPEAT);
    glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, 0.0f);
    glSamplerParameterf(sampler, GL_TEXTURE_MAX_LOD, FLT_MAX);
    glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS, 0.0f);
    return sampler;
  }
  static void Fill(GLenum target, const void* data, size_t bytes, GLenum usage) {
    if (data != nullptr) {
      glBufferData(target, static_cast<GLsizeiptr>(bytes), data, usage);
    } else {
      std::vector<uint8_t> zeros(bytes, 0);
      glBufferData(target, static_cast<GLsizeiptr>(bytes), zeros.data(), usage);
    }
  }

  // Defines a name right after the #version line; "#line 2" keeps the compiler's line numbers
  // those of the file.
  static std::string WithDefine(const std::string& source, const char* name) {
    size_t version = source.find("#version");
    if (version == std::string::npos) return source;
    size_t end = source.find('\n', version);
    if (end == std::string::npos) return source;
    return source.substr(0, end + 1) + "#define " + name + " 1\n#line 2\n" + source.substr(end + 1);
  }

  GpuBuffer Register(const GlBuffer& b) {
    GpuBuffer handle = NewHandle<GpuBuffer>();
    buffers_[handle.id] = b;
    return handle;
  }

  GlBuffer* Find(GpuBuffer buffer) {
    if (buffer.device != serial_) return nullptr;
    auto it = buffers_.find(buffer.id);
    return it == buffers_.end() ? nullptr : &it->second;
  }

  static std::string InfoLog(GLuint object, bool program) {
    GLint length = 0;
    if (program) glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) return std::string();
    std::string log(static_cast<size_t>(length), '\0');
    GLsizei written = 0;
    if (program) glGetProgramInfoLog(object, length, &written, log.data());
    else glGetShaderInfoLog(object, length, &written, log.data());
    log.resize(static_cast<size_t>(written));
    return log;
  }

  // Binds the program's blocks to their slots and checks that each has exactly the byte size the
  // game writes (a block laid out differently would silently scramble lights or filters).
  static std::string BindBlocks(ProgramKind kind, GLuint program) {
    // The overlay declares the colour program's one block.
    const bool matrixOnly = kind != ProgramKind::Texture;
    const BlockLayout* begin = matrixOnly ? std::begin(kColorBlocks) : std::begin(kTextureBlocks);
    const BlockLayout* end = matrixOnly ? std::end(kColorBlocks) : std::end(kTextureBlocks);
    for (const BlockLayout* block = begin; block != end; ++block) {
      GLuint index = glGetUniformBlockIndex(program, block->name);
      if (index == GL_INVALID_INDEX) return std::string("uniform block ") + block->name + " is missing";
      GLint size = 0;
      glGetActiveUniformBlockiv(program, index, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
      if (static_cast<size_t>(size) != block->bytes) {
        return std::string("uniform block ") + block->name + " is " + std::to_string(size) + " bytes, expected " +
               std::to_string(block->bytes);
      }
      glUniformBlockBinding(program, index, static_cast<GLuint>(block->slot));
    }
    if (kind != ProgramKind::Color) {
      GLint location = glGetUniformLocation(program, "shaderTexture");
      if (location < 0) return "sampler shaderTexture is missing";
      GLint previous = 0;
      glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
      glUseProgram(program);
      glUniform1i(location, 0);
      glUseProgram(static_cast<GLuint>(previous));
    }
    return std::string();
  }

  bool live_ = false;
  bool zeroToOneDepth_ = false;  // clip control put clip-space depth at 0..w  // Initialize ran with a context; Shutdown releases everything once
  GLint maxTextureSize_ = 0;
  GLuint sampler_ = 0;
  GLuint fullSizeSampler_ = 0;
  GLuint nearestSampler_ = 0;
  GLuint boundSampler_ = 0;
  GLuint emptyTexture_ = 0;
  GLuint currentProgram_ = 0;
  GLuint currentArray_ = 0;
  GLuint boundTexture_ = 0;
  GLuint boundUniforms_[3] = {0, 0, 0};
  int viewport_[4] = {0, 0, 0, 0};
  // The back buffer copy (KeepBackBuffer): a texture of the viewport's size behind a framebuffer,
  // the viewport it was taken from, and whether it holds one.
  GLuint copyTexture_ = 0;
  GLuint copyFramebuffer_ = 0;
  int copySize_[2] = {0, 0};
  int copyViewport_[4] = {0, 0, 0, 0};
  bool copyHeld_ = false;
  // One fence per frame in flight: frame n ends with a fence in slot n % kFramesInFlight, and frame
  // n + kFramesInFlight waits on it before it starts.
  GLsync frameFences_[kFramesInFlight] = {};
  uint64_t frameIndex_ = 0;
  std::unordered_map<uint32_t, GlBuffer> buffers_;
  std::unordered_map<uint32_t, bool> uniformIds_;
  std::unordered_map<uint32_t, GLuint> textures_;
  std::unordered_map<uint32_t, GLuint> shaders_;
  std::unordered_map<uint32_t, GLuint> programs_;
};

}  // namespace

std::unique_ptr<GpuDevice> CreateGlGpuDevice() {
  // Initialize checks the context's version; asking GL anything without a context is not safe.
  return std::make_unique<GlGpuDevice>();
}

}  // namespace platform
