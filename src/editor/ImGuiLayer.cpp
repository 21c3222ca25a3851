#include "editor/ImGuiLayer.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstring>

#include "app/Input.h"
#include "app/KeyCodes.h"
#include "imgui.h"
#include "imgui_impl_opengl3.h"
#include "imgui_impl_sdl.h"
#include "platform/Platform.h"

namespace {

struct ImGuiLayerModule {
  bool started = false;
  bool backends = false;        // the SDL2 and OpenGL3 back ends are running
  bool frameOpen = false;
  bool previousKeys[256] = {};  // for typed characters: a character per key going down
};

ImGuiLayerModule& Module() {
  static ImGuiLayerModule module;
  return module;
}

// ImGui's named keys, read straight from the game's virtual-key table.
void MapKeys(ImGuiIO& io) {
  io.KeyMap[ImGuiKey_Tab] = vk::Tab;
  io.KeyMap[ImGuiKey_LeftArrow] = vk::Left;
  io.KeyMap[ImGuiKey_RightArrow] = vk::Right;
  io.KeyMap[ImGuiKey_UpArrow] = vk::Up;
  io.KeyMap[ImGuiKey_DownArrow] = vk::Down;
  io.KeyMap[ImGuiKey_PageUp] = vk::Prior;
  io.KeyMap[ImGuiKey_PageDown] = vk::Next;
  io.KeyMap[ImGuiKey_Home] = vk::Home;
  io.KeyMap[ImGuiKey_End] = vk::End;
  io.KeyMap[ImGuiKey_Insert] = vk::Insert;
  io.KeyMap[ImGuiKey_Delete] = vk::Delete;
  io.KeyMap[ImGuiKey_Backspace] = vk::Back;
  io.KeyMap[ImGuiKey_Space] = vk::Space;
  io.KeyMap[ImGuiKey_Enter] = vk::Return;
  io.KeyMap[ImGuiKey_Escape] = vk::Escape;
  io.KeyMap[ImGuiKey_KeyPadEnter] = vk::Return;
  io.KeyMap[ImGuiKey_A] = vk::Letter('A');
  io.KeyMap[ImGuiKey_C] = vk::Letter('C');
  io.KeyMap[ImGuiKey_V] = vk::Letter('V');
  io.KeyMap[ImGuiKey_X] = vk::Letter('X');
  io.KeyMap[ImGuiKey_Y] = vk::Letter('Y');
  io.KeyMap[ImGuiKey_Z] = vk::Letter('Z');
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

void FeedInput(ImGuiIO& io) {
  const InputTables& in = Input();
  io.MousePos = ImVec2(static_cast<float>(in.mouse.x), static_cast<float>(in.mouse.y));
  io.MouseDown[0] = in.mouse.heldLeft;
  io.MouseDown[1] = in.mouse.heldRight;
  io.MouseDown[2] = false;
  io.MouseWheel = static_cast<float>(in.mouse.wheel);
  for (int k = 0; k < 256; ++k) io.KeysDown[k] = in.keys[k];
  io.KeyCtrl = in.keys[vk::Control];
  io.KeyShift = in.keys[vk::Shift];
  io.KeyAlt = in.keys[vk::Menu];
  io.KeySuper = false;
  const bool typing = !io.KeyCtrl && !io.KeyAlt;
  for (int k = 0; k < 256; ++k) {
    if (typing && in.keys[k] && !Module().previousKeys[k]) {
      if (unsigned int c = CharacterOf(k, io.KeyShift)) io.AddInputCharacter(c);
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

}  // namespace

void StartImGuiLayer() {
  ImGuiLayerModule& m = Module();
  if (m.started) return;
  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;  // the layout is the editor's, not remembered between runs
  Style();
  SDL_Window* window = SDL_GL_GetCurrentWindow();
  SDL_GLContext context = SDL_GL_GetCurrentContext();
  if (window != nullptr && context != nullptr && platform::GetPlatform().HasGlContext()) {
    m.backends = ImGui_ImplSDL2_InitForOpenGL(window, context) && ImGui_ImplOpenGL3_Init("#version 330 core");
    // Only the focus comes from the window's own events; buttons, keys, cursor and wheel come from
    // the game's input tables, so scripted input reaches the windows too.
    platform::GetPlatform().SetRawEventHook([](const void* native) {
      const auto* event = static_cast<const SDL_Event*>(native);
      if (event->type == SDL_WINDOWEVENT) ImGui_ImplSDL2_ProcessEvent(event);
      return false;
    });
  }
  MapKeys(io);
  // Without a renderer the font atlas must still be built for frames to run.
  unsigned char* pixels = nullptr;
  int w = 0, h = 0;
  io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
  m.started = true;
}

void BeginImGuiFrame(float dt) {
  ImGuiLayerModule& m = Module();
  if (!m.started) return;
  ImGuiIO& io = ImGui::GetIO();
  if (m.backends) {
    ImGui_ImplOpenGL3_NewFrame();
    ImGui_ImplSDL2_NewFrame();
  } else {
    int w = 0, h = 0;
    platform::GetPlatform().GetClientSize(&w, &h);
    io.DisplaySize = ImVec2(static_cast<float>(w), static_cast<float>(h));
    io.DeltaTime = 1.0f / 60.0f;
  }
  if (dt > 0.0f) io.DeltaTime = dt;
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
  if (!Module().backends) return;
  ImDrawData* data = ImGui::GetDrawData();
  if (data != nullptr && data->Valid) ImGui_ImplOpenGL3_RenderDrawData(data);
}

void StopImGuiLayer() {
  ImGuiLayerModule& m = Module();
  if (!m.started) return;
  if (m.backends) {
    platform::GetPlatform().SetRawEventHook(nullptr);
    ImGui_ImplOpenGL3_Shutdown();
    ImGui_ImplSDL2_Shutdown();
  }
  ImGui::DestroyContext();
  m = ImGuiLayerModule{};
}

bool ImGuiLayerStarted() { return Module().started; }
