#include "editor/Editor.h"

#include "app/Application.h"
#include "app/EditorLink.h"
#include "app/Input.h"
#include "app/KeyCodes.h"
#include "app/Options.h"
#include "editor/EditorModel.h"
#include "editor/EditorWindows.h"
#include "editor/FileExplorer.h"
#include "editor/ImGuiLayer.h"
#include "graphics/Camera.h"
#include "graphics/ScreenToWorld.h"
#include "imgui.h"
#include "platform/Platform.h"

namespace {

struct EditorFrameModule {
  bool deleteWasDown = false;
  bool panning = false;  // a right-button drag that began over the world moves the view
  int32_t panX = 0, panY = 0;
};

EditorFrameModule& Module() {
  static EditorFrameModule module;
  return module;
}

// This pass's mouse and keys as the tools see them. The buttons are read as the events left them:
// the game's capture rule clears its own copy while the windows have the mouse.
PointerInput ReadPointer() {
  const InputTables& in = Input();
  const ImGuiIO& io = ImGui::GetIO();
  PointerInput p;
  WorldPoint world = ScreenToWorld(static_cast<float>(in.mouse.x), static_cast<float>(in.mouse.y), 0.0f);
  p.worldX = world.x;
  p.worldY = world.y;
  p.cameraX = MainCamera().position[0];
  p.cameraY = MainCamera().position[1];
  p.leftDown = in.mouse.heldLeft;
  p.ctrl = in.keys[vk::Control];
  const bool deleteDown = in.keys[vk::Delete];
  p.deletePressed = deleteDown && !Module().deleteWasDown;
  Module().deleteWasDown = deleteDown;
  p.overInterface = io.WantCaptureMouse;
  p.keyboardTaken = io.WantCaptureKeyboard || io.WantTextInput;
  return p;
}

// While stopped, a right-button drag over the world moves the view, so every part of a level larger
// than the screen can be reached (the camera follows the player only while the level runs).
void PanView() {
  EditorFrameModule& m = Module();
  const MouseState& mouse = Input().mouse;
  if (!mouse.heldRight || !Editor().stopped) {
    m.panning = false;
    return;
  }
  if (!m.panning) {
    m.panning = !ImGui::GetIO().WantCaptureMouse;
  } else {
    WorldPoint from = ScreenToWorld(static_cast<float>(m.panX), static_cast<float>(m.panY), 0.0f);
    WorldPoint to = ScreenToWorld(static_cast<float>(mouse.x), static_cast<float>(mouse.y), 0.0f);
    MainCamera().position[0] -= to.x - from.x;
    MainCamera().position[1] -= to.y - from.y;
  }
  m.panX = mouse.x;
  m.panY = mouse.y;
}

// The game reads these next pass: what the windows took does not reach it.
void PublishCapture() {
  const ImGuiIO& io = ImGui::GetIO();
  EditorLink& link = GetEditorLink();
  link.wantsMouse = io.WantCaptureMouse;
  link.wantsKeyboard = io.WantCaptureKeyboard;
  link.wantsText = io.WantTextInput;
  link.stopped = Editor().stopped;
}

}  // namespace

void InstallEditor() {
  ApplicationHooks& hooks = GetApplicationHooks();
  hooks.editorInit = EditorInit;
  hooks.editorFrame = EditorFrame;
  hooks.editorRender = EditorRender;
  hooks.editorShutdown = EditorShutdown;
}

void EditorInit() {
  StartImGuiLayer();
  SetExplorerFolder(kExplorerRoot);
  GetEditorLink().stopped = Editor().stopped;
}

void EditorFrame() {
  if (!ImGuiLayerStarted()) return;
  // 1. ImGui's frame from this pass's input (the fixed frame time keeps a replayed session alike).
  BeginImGuiFrame(GetRunOptions().fixedDt);
  // 2. The mouse tools and the Delete key, unless the windows have the mouse or keyboard; a right
  //    drag over the world moves the view.
  RunTools(ReadPointer());
  PanView();
  // 3. Every window.
  const ImGuiIO& io = ImGui::GetIO();
  DrawEditorWindows(io.DisplaySize.x, io.DisplaySize.y);
  // 4. A continuous edit ends when nothing is being dragged or typed into.
  if (!ImGui::IsAnyItemActive() && !Editor().pressTaken) EditorHistory().EndMerge();
  // 5. The frame's draw data, and what the windows took from the game.
  EndImGuiFrame();
  PublishCapture();
}

void EditorRender() { DrawImGuiLayer(); }

void EditorShutdown() { StopImGuiLayer(); }
