#include "editor/ImGuiLayer.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/Input.h"
#include "core/KeyCodes.h"
#include "graphics/GraphicsDevice.h"
#include "imgui.h"
#include "platform/GpuDevice.h"
#include "platform/Platform.h"

namespace {

// Dear ImGui's vertex is the device's overlay vertex, byte for byte: position, texcoord, colour.
static_assert(sizeof(ImDrawVert) == platform::kOverlayVertexBytes, "ImDrawVert must be pos2, uv2, col32");

constexpr const char* kOverlayVertexShader = R"(#version 330 core
layout(std140) uniform MatrixBuffer {
  mat4 projection;  // the display's pixels, top-left origin, to clip space
  mat4 unusedView;
  mat4 unusedWorld;
};
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texcoord;
layout(location = 2) in vec4 color;
out vec2 uv;
out vec4 tint;
void main() {
  uv = texcoord;
  tint = color;
  gl_Position = projection * vec4(position, 0.0, 1.0);
}
)";

constexpr const char* kOverlayPixelShader = R"(#version 330 core
uniform sampler2D shaderTexture;
in vec2 uv;
in vec4 tint;
out vec4 pixel;
void main() { pixel = tint * texture(shaderTexture, uv); }
)";

// The device's objects for drawing the interface, all of one device (its serial).
struct OverlayRenderer {
  bool ready = false;
  uint32_t device = 0;
  platform::GpuShader vertexShader, pixelShader;
  platform::GpuProgram program;
  platform::GpuBuffer vertices, indices, matrix;
  platform::GpuTexture font;
  size_t vertexCapacity = 0;  // vertices
  size_t indexCapacity = 0;   // indices
  std::vector<uint8_t> vertexBytes;
  std::vector<uint32_t> indexData;
};

// The keys ImGui names, read from the game's virtual-key table.
struct NamedKey {
  ImGuiKey key;
  int vk;
};
const NamedKey kNamedKeys[] = {
    {ImGuiKey_Tab, vk::Tab},          {ImGuiKey_LeftArrow, vk::Left},   {ImGuiKey_RightArrow, vk::Right},
    {ImGuiKey_UpArrow, vk::Up},       {ImGuiKey_DownArrow, vk::Down},   {ImGuiKey_PageUp, vk::Prior},
    {ImGuiKey_PageDown, vk::Next},    {ImGuiKey_Home, vk::Home},        {ImGuiKey_End, vk::End},
    {ImGuiKey_Insert, vk::Insert},    {ImGuiKey_Delete, vk::Delete},    {ImGuiKey_Backspace, vk::Back},
    {ImGuiKey_Space, vk::Space},      {ImGuiKey_Enter, vk::Return},     {ImGuiKey_Escape, vk::Escape},
#if IMGUI_VERSION_NUM >= 18700
    {ImGuiKey_KeypadEnter, vk::Return},
#else
    {ImGuiKey_KeyPadEnter, vk::Return},
#endif
    {ImGuiKey_A, vk::Letter('A')},    {ImGuiKey_C, vk::Letter('C')},    {ImGuiKey_V, vk::Letter('V')},
    {ImGuiKey_X, vk::Letter('X')},    {ImGuiKey_Y, vk::Letter('Y')},    {ImGuiKey_Z, vk::Letter('Z')},
};
constexpr size_t kNamedKeyCount = sizeof(kNamedKeys) / sizeof(kNamedKeys[0]);

struct ImGuiLayerModule {
  bool started = false;
  bool frameOpen = false;
  bool previousKeys[256] = {};  // for typed characters: a character per key going down
  // What ImGui was last told (1.87 and later take changes as events).
  bool sentKeys[kNamedKeyCount] = {};
  bool sentButtons[2] = {};
  bool sentCtrl = false, sentShift = false, sentAlt = false;
  uint64_t lastCounter = 0;  // the platform's clock at the last frame, for measured frame times
  OverlayRenderer renderer;
};

ImGuiLayerModule& Module() {
  static ImGuiLayerModule module;
  return module;
}

// The character a key types on a US keyboard, or 0.
unsigned int CharacterOf(int key, bool shift) {
  if (key >= vk::A && key <= vk::A + 25) return static_cast<unsigned>((shift ? 'A' : 'a') + (key - vk::A));
  if (key >= vk::Num0 && key <= vk::Num0 + 9) {
    static const char kShifted[] = ")!@#$%^&*(";
    return shift ? static_cast<unsigned char>(kShifted[key - vk::Num0]) : static_cast<unsigned>('0' + key - vk::Num0);
  }
  if (key >= vk::Numpad0 && key <= vk::Numpad0 + 9) return static_cast<unsigned>('0' + key - vk::Numpad0);
  switch (key) {
    case vk::Space: return ' ';
    case vk::OemMinus: return shift ? '_' : '-';
    case vk::OemPeriod: return shift ? '>' : '.';
    case vk::OemComma: return shift ? '<' : ',';
    case vk::Oem2: return shift ? '?' : '/';
    case vk::Oem5: return shift ? '|' : '\\';
    case vk::OemPlus: return shift ? '+' : '=';
    case vk::Oem1: return shift ? ':' : ';';
    case vk::Decimal: return '.';
    case vk::Subtract: return '-';
    default: return 0;
  }
}

#if IMGUI_VERSION_NUM >= 18700
// ImGui 1.87 and later: input arrives as events, sent when something changed.
void FeedPointerAndKeys(ImGuiIO& io, const InputTables& in, bool ctrl, bool shift, bool alt) {
  ImGuiLayerModule& m = Module();
  io.AddMousePosEvent(static_cast<float>(in.mouse.x), static_cast<float>(in.mouse.y));
  const bool buttons[2] = {in.mouse.heldLeft, in.mouse.heldRight};
  for (int b = 0; b < 2; ++b) {
    if (buttons[b] != m.sentButtons[b]) io.AddMouseButtonEvent(b, buttons[b]);
    m.sentButtons[b] = buttons[b];
  }
  if (in.mouse.wheel != 0) io.AddMouseWheelEvent(0.0f, static_cast<float>(in.mouse.wheel));
  if (ctrl != m.sentCtrl || shift != m.sentShift || alt != m.sentAlt) {
#if IMGUI_VERSION_NUM >= 18900
    io.AddKeyEvent(ImGuiMod_Ctrl, ctrl);
    io.AddKeyEvent(ImGuiMod_Shift, shift);
    io.AddKeyEvent(ImGuiMod_Alt, alt);
#elif IMGUI_VERSION_NUM >= 18800
    io.AddKeyEvent(ImGuiKey_ModCtrl, ctrl);
    io.AddKeyEvent(ImGuiKey_ModShift, shift);
    io.AddKeyEvent(ImGuiKey_ModAlt, alt);
#else
    io.AddKeyModsEvent((ctrl ? ImGuiKeyModFlags_Ctrl : 0) | (shift ? ImGuiKeyModFlags_Shift : 0) |
                       (alt ? ImGuiKeyModFlags_Alt : 0));
#endif
    m.sentCtrl = ctrl;
    m.sentShift = shift;
    m.sentAlt = alt;
  }
  for (size_t i = 0; i < kNamedKeyCount; ++i) {
    const bool down = in.keys[kNamedKeys[i].vk];
    if (down != m.sentKeys[i]) io.AddKeyEvent(kNamedKeys[i].key, down);
    m.sentKeys[i] = down;
  }
}
#else
// ImGui 1.86: input is the state of this frame, written into the io record.
void FeedPointerAndKeys(ImGuiIO& io, const InputTables& in, bool ctrl, bool shift, bool alt) {
  io.MousePos = ImVec2(static_cast<float>(in.mouse.x), static_cast<float>(in.mouse.y));
  io.MouseDown[0] = in.mouse.heldLeft;
  io.MouseDown[1] = in.mouse.heldRight;
  io.MouseDown[2] = false;
  io.MouseWheel += static_cast<float>(in.mouse.wheel);
  for (const NamedKey& named : kNamedKeys) io.KeyMap[named.key] = named.vk;
  for (int k = 0; k < 256; ++k) io.KeysDown[k] = in.keys[k];
  io.KeyCtrl = ctrl;
  io.KeyShift = shift;
  io.KeyAlt = alt;
  io.KeySuper = false;
}
#endif

void FeedInput(ImGuiIO& io) {
  const InputTables& in = Input();
  const bool ctrl = in.keys[vk::Control];
  const bool shift = in.keys[vk::Shift];
  const bool alt = in.keys[vk::Menu];
  FeedPointerAndKeys(io, in, ctrl, shift, alt);
  const bool typing = !ctrl && !alt;
  for (int k = 0; k < 256; ++k) {
    if (typing && in.keys[k] && !Module().previousKeys[k]) {
      if (unsigned int c = CharacterOf(k, shift)) io.AddInputCharacter(c);
    }
    Module().previousKeys[k] = in.keys[k];
  }
}

void Style() {
  ImGui::StyleColorsDark();
  ImGuiStyle& style = ImGui::GetStyle();
  style.WindowRounding = 4.0f;
  style.FrameRounding = 3.0f;
  style.WindowBorderSize = 1.0f;
  style.Colors[ImGuiCol_WindowBg].w = 0.92f;
}

void DestroyRenderer() {
  OverlayRenderer& r = Module().renderer;
  // The device frees what is left of its objects when it shuts down (before the editor's layer
  // stops, in the shutdown order); only a device still running is asked to.
  GraphicsDevice* device = GetGraphicsDevice();
  if (r.ready && device != nullptr && device->Gpu().Serial() == r.device) {
    platform::GpuDevice& gpu = device->Gpu();
    gpu.DestroyBuffer(r.vertices);
    gpu.DestroyBuffer(r.indices);
    gpu.DestroyBuffer(r.matrix);
    gpu.DestroyTexture(r.font);
    gpu.DestroyProgram(r.program);
    gpu.DestroyShader(r.vertexShader);
    gpu.DestroyShader(r.pixelShader);
  }
  r = OverlayRenderer{};
}

// The overlay program, the projection's uniform block and the font atlas as a texture. False (and
// nothing kept) when the device cannot make one of them.
bool CreateRenderer(platform::GpuDevice& gpu, const unsigned char* fontPixels, int fontWidth, int fontHeight) {
  OverlayRenderer& r = Module().renderer;
  r.device = gpu.Serial();
  r.ready = true;  // so that DestroyRenderer frees a half-made set
  std::string message;
  r.vertexShader = gpu.CompileShader(platform::ShaderStage::Vertex, kOverlayVertexShader, &message);
  r.pixelShader = gpu.CompileShader(platform::ShaderStage::Pixel, kOverlayPixelShader, &message);
  if (r.vertexShader && r.pixelShader) {
    r.program = gpu.LinkProgram(platform::ProgramKind::Overlay, r.vertexShader, r.pixelShader, &message);
  }
  r.matrix = gpu.CreateUniformBuffer(platform::kMatrixBlockBytes);
  r.font = gpu.CreateTexture(fontWidth, fontHeight, fontPixels, false, false);
  if (!r.program || !r.matrix || !r.font) {
    DestroyRenderer();
    return false;
  }
  return true;
}

// Room for this frame's vertices and indices; the buffers grow by half again when they must.
bool Reserve(platform::GpuDevice& gpu, size_t vertexCount, size_t indexCount) {
  OverlayRenderer& r = Module().renderer;
  if (vertexCount > r.vertexCapacity || !r.vertices) {
    gpu.DestroyBuffer(r.vertices);
    r.vertexCapacity = vertexCount + vertexCount / 2 + 1024;
    r.vertexBytes.assign(r.vertexCapacity * sizeof(ImDrawVert), 0);
    r.vertices = gpu.CreateVertexBuffer(platform::VertexLayout::Overlay, nullptr, r.vertexBytes.size());
  }
  if (indexCount > r.indexCapacity || !r.indices) {
    gpu.DestroyBuffer(r.indices);
    r.indexCapacity = indexCount + indexCount / 2 + 2048;
    r.indexData.assign(r.indexCapacity, 0);
    r.indices = gpu.CreateIndexBuffer(r.indexData.data(), r.indexCapacity);
  }
  return r.vertices && r.indices;
}

// Column-major orthographic projection of the display rectangle (y down) to clip space.
void WriteProjection(platform::GpuDevice& gpu, const ImDrawData& data) {
  const float l = data.DisplayPos.x;
  const float r = data.DisplayPos.x + data.DisplaySize.x;
  const float t = data.DisplayPos.y;
  const float b = data.DisplayPos.y + data.DisplaySize.y;
  float block[platform::kMatrixBlockBytes / sizeof(float)] = {};
  const float projection[16] = {
      2.0f / (r - l), 0.0f, 0.0f, 0.0f,  //
      0.0f, 2.0f / (t - b), 0.0f, 0.0f,  //
      0.0f, 0.0f, -1.0f, 0.0f,           //
      (r + l) / (l - r), (t + b) / (b - t), 0.0f, 1.0f};
  std::memcpy(block, projection, sizeof(projection));
  gpu.WriteBuffer(Module().renderer.matrix, block, sizeof(block));
}

}  // namespace

void StartImGuiLayer() {
  ImGuiLayerModule& m = Module();
  if (m.started) return;
  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // the layout is the editor's, not remembered between runs
  io.BackendPlatformName = "quillmarch-input";
  io.BackendRendererName = "quillmarch-gpu-device";
  // Draws start at any vertex of the shared buffer (the device's base vertex).
  io.BackendFlags |= ImGuiBackendFlags_RendererHasVtxOffset;
  Style();
  // On a scaled display the letters are made at the display's own pixel size and drawn back at
  // their usual size, so they stay sharp instead of being stretched.
  int windowW = 0, windowH = 0, pixelsW = 0, pixelsH = 0;
  platform::GetPlatform().GetClientSize(&windowW, &windowH);
  platform::GetPlatform().GetDrawableSize(&pixelsW, &pixelsH);
  const float scale = windowH > 0 ? static_cast<float>(pixelsH) / static_cast<float>(windowH) : 1.0f;
  if (scale > 1.0f) {
    ImFontConfig font;
    font.SizePixels = 13.0f * scale;
    io.Fonts->AddFontDefault(&font);
    io.FontGlobalScale = 1.0f / scale;
  }
  // The font atlas is built whether or not it can be drawn: frames need it.
  unsigned char* pixels = nullptr;
  int w = 0, h = 0;
  io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
  if (GraphicsDevice* device = GetGraphicsDevice(); device != nullptr && CreateRenderer(device->Gpu(), pixels, w, h)) {
    io.Fonts->SetTexID((ImTextureID)(uintptr_t)m.renderer.font.id);
  }
  m.lastCounter = platform::GetPlatform().PerformanceCounter();
  m.started = true;
}

void BeginImGuiFrame(float dt) {
  ImGuiLayerModule& m = Module();
  if (!m.started) return;
  ImGuiIO& io = ImGui::GetIO();
  platform::Platform& plat = platform::GetPlatform();
  // The windows are laid out in the window's units (the mouse's) and drawn over the whole drawable:
  // on a scaled display the drawable has more pixels than the window has units.
  int w = 0, h = 0, pixelsW = 0, pixelsH = 0;
  plat.GetClientSize(&w, &h);
  plat.GetDrawableSize(&pixelsW, &pixelsH);
  io.DisplaySize = ImVec2(static_cast<float>(w > 0 ? w : 1), static_cast<float>(h > 0 ? h : 1));
  io.DisplayFramebufferScale = ImVec2(1.0f, 1.0f);
  if (w > 0 && h > 0 && pixelsW > 0 && pixelsH > 0) {
    io.DisplayFramebufferScale = ImVec2(static_cast<float>(pixelsW) / static_cast<float>(w),
                                        static_cast<float>(pixelsH) / static_cast<float>(h));
  }
  const uint64_t now = plat.PerformanceCounter();
  const uint64_t frequency = plat.PerformanceFrequency();
  float measured = frequency != 0 ? static_cast<float>(static_cast<double>(now - m.lastCounter) / frequency) : 0.0f;
  m.lastCounter = now;
  // ImGui wants a frame time above zero.
  io.DeltaTime = dt > 0.0f ? dt : (measured > 0.0f ? measured : 1.0f / 60.0f);
  FeedInput(io);
  ImGui::NewFrame();
  m.frameOpen = true;
}

void EndImGuiFrame() {
  if (!Module().frameOpen) return;
  ImGui::Render();
  Module().frameOpen = false;
}

void DrawImGuiLayer() {
  OverlayRenderer& r = Module().renderer;
  GraphicsDevice* device = GetGraphicsDevice();
  const ImDrawData* data = ImGui::GetCurrentContext() != nullptr ? ImGui::GetDrawData() : nullptr;
  if (!r.ready || device == nullptr || device->Gpu().Serial() != r.device || data == nullptr || !data->Valid ||
      data->TotalVtxCount <= 0 || data->DisplaySize.x <= 0.0f || data->DisplaySize.y <= 0.0f) {
    return;
  }
  platform::GpuDevice& gpu = device->Gpu();
  if (!Reserve(gpu, static_cast<size_t>(data->TotalVtxCount), static_cast<size_t>(data->TotalIdxCount))) return;

  // 1. Every list's vertices and indices into one upload each (indices widened to 32 bits).
  size_t vertexAt = 0, indexAt = 0;
  for (int n = 0; n < data->CmdListsCount; ++n) {
    const ImDrawList* list = data->CmdLists[n];
    std::memcpy(r.vertexBytes.data() + vertexAt * sizeof(ImDrawVert), list->VtxBuffer.Data,
                static_cast<size_t>(list->VtxBuffer.Size) * sizeof(ImDrawVert));
    for (int i = 0; i < list->IdxBuffer.Size; ++i) r.indexData[indexAt + static_cast<size_t>(i)] = list->IdxBuffer[i];
    vertexAt += static_cast<size_t>(list->VtxBuffer.Size);
    indexAt += static_cast<size_t>(list->IdxBuffer.Size);
  }
  // Whole buffers: the device hands the driver fresh storage instead of waiting for last frame's draws.
  gpu.WriteBuffer(r.vertices, r.vertexBytes.data(), r.vertexBytes.size());
  gpu.WriteBuffer(r.indices, r.indexData.data(), r.indexData.size() * sizeof(uint32_t));
  WriteProjection(gpu, *data);

  // 2. The interface's states: blended, no depth, both faces, unshrunk texture sampling.
  const bool depth = gpu.DepthTestOn();
  const bool blending = gpu.BlendingOn();
  const bool culling = gpu.CullingOn();
  int vx = 0, vy = 0, vw = 0, vh = 0;
  gpu.GetViewport(&vx, &vy, &vw, &vh);
  gpu.BindAlphaBlending();
  gpu.UseDepthTest(false);
  gpu.UseCulling(false);
  gpu.UseSampling(platform::TextureSampling::FullSize);
  gpu.BindUniformBuffer(platform::UniformSlot::Matrix, r.matrix);

  // 3. One draw per command, limited to its clip rectangle (display pixels, top-left origin, to
  //    the viewport's pixels from the bottom-left).
  const float sx = static_cast<float>(vw) / data->DisplaySize.x;
  const float sy = static_cast<float>(vh) / data->DisplaySize.y;
  vertexAt = indexAt = 0;
  for (int n = 0; n < data->CmdListsCount; ++n) {
    const ImDrawList* list = data->CmdLists[n];
    for (int c = 0; c < list->CmdBuffer.Size; ++c) {
      const ImDrawCmd& cmd = list->CmdBuffer[c];
      if (cmd.UserCallback != nullptr) {
        // The editor adds no callbacks; a reset request needs nothing since every draw sets its state.
        if (cmd.UserCallback != ImDrawCallback_ResetRenderState) cmd.UserCallback(list, &cmd);
        continue;
      }
      const float x0 = (cmd.ClipRect.x - data->DisplayPos.x) * sx;
      const float y0 = (cmd.ClipRect.y - data->DisplayPos.y) * sy;
      const float x1 = (cmd.ClipRect.z - data->DisplayPos.x) * sx;
      const float y1 = (cmd.ClipRect.w - data->DisplayPos.y) * sy;
      if (x1 <= x0 || y1 <= y0 || cmd.ElemCount == 0) continue;
      gpu.UseScissor(vx + static_cast<int>(x0), vy + vh - static_cast<int>(y1), static_cast<int>(x1 - x0 + 0.5f),
                     static_cast<int>(y1 - y0 + 0.5f));
      platform::GpuTexture texture;
      if ((uintptr_t)cmd.GetTexID() == static_cast<uintptr_t>(r.font.id)) texture = r.font;
      gpu.DrawRange(r.program, r.vertices, r.indices, static_cast<int>(indexAt + cmd.IdxOffset),
                    static_cast<int>(cmd.ElemCount), static_cast<int>(vertexAt + cmd.VtxOffset), texture);
    }
    vertexAt += static_cast<size_t>(list->VtxBuffer.Size);
    indexAt += static_cast<size_t>(list->IdxBuffer.Size);
  }

  // 4. The game's states back as they were.
  gpu.UseScissor(0, 0, 0, 0);
  gpu.UseCulling(culling);
  gpu.UseDepthTest(depth);
  gpu.UseBlending(blending);
  gpu.UseSampling(platform::TextureSampling::Mipmaps);
}

void StopImGuiLayer() {
  ImGuiLayerModule& m = Module();
  if (!m.started) return;
  DestroyRenderer();
  ImGui::DestroyContext();
  m = ImGuiLayerModule{};
}

bool ImGuiLayerStarted() { return Module().started; }
