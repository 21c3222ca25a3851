#include "editor/Editor.h"

#include "core/AppHooks.h"
#include "core/EditorLink.h"
#include "core/FrameClock.h"
#include "core/Input.h"
#include "core/KeyCodes.h"
#include "core/Options.h"
#include "editor/Autosave.h"
#include "editor/Clipboard.h"
#include "editor/EditorModel.h"
#include "editor/EditorState.h"
#include "editor/EditorTools.h"
#include "editor/EditorView.h"
#include "editor/EditorWindows.h"
#include "editor/FileExplorer.h"
#include "editor/ImGuiLayer.h"
#include "editor/Prove.h"
#include "editor/UnsavedPrompt.h"
#include "graphics/Camera.h"
#include "graphics/ScreenToWorld.h"
#include "imgui.h"
#include "imgui_internal.h"
#include "platform/Platform.h"

namespace {

// The editing shortcuts, each taken once per press of its letter with Ctrl held.
enum Shortcut { kUndo, kRedo, kRedoShifted, kCopy, kPaste, kDuplicate, kShortcutCount };

struct EditorFrameModule {
  bool deleteWasDown = false;
  bool letterWasDown[kShortcutCount] = {};
  bool panning = false;  // a right-button drag that began over the world moves the view
  int32_t panX = 0, panY = 0;
  bool wasStopped = true;  // Run and Stop change the view's distance
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
  p.shift = in.keys[vk::Shift];
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

// While stopped, the wheel over the world zooms the view around the cursor (over a window it
// scrolls the window).
void ZoomView() {
  const MouseState& mouse = Input().mouse;
  if (mouse.wheel == 0 || !Editor().stopped || ImGui::GetIO().WantCaptureMouse) return;
  const ImGuiIO& io = ImGui::GetIO();
  ZoomViewAt(static_cast<float>(mouse.x), static_cast<float>(mouse.y), mouse.wheel,
             static_cast<int>(io.DisplaySize.x), static_cast<int>(io.DisplaySize.y));
}

// The level runs from the game's own distance and comes back to the editor's zoom at Stop.
void FollowRunAndStop() {
  EditorFrameModule& m = Module();
  if (Editor().stopped == m.wasStopped) return;
  m.wasStopped = Editor().stopped;
  if (m.wasStopped) {
    EnterEditView();
  } else {
    EnterPlayView();
  }
}

uint64_t ActiveWidget() { return ImGui::GetActiveID(); }

// True in the pass where `letter` goes down with Ctrl (and Shift exactly when `shifted`) held.
bool ShortcutPressed(Shortcut which, char letter, bool shifted) {
  const InputTables& in = Input();
  const bool down = in.keys[vk::Control] && in.keys[vk::Shift] == shifted && in.keys[vk::Letter(letter)];
  const bool pressed = down && !Module().letterWasDown[which];
  Module().letterWasDown[which] = down;
  return pressed;
}

// Ctrl+Z, Ctrl+Y or Ctrl+Shift+Z, Ctrl+C, Ctrl+V at the cursor, Ctrl+D. A text field that has the
// keyboard keeps them (it undoes its own typing), and so do the dialogs and a drag under way.
void RunShortcuts(const PointerInput& pointer) {
  const bool undo = ShortcutPressed(kUndo, 'Z', false);
  // Both redo keys are read every pass, so each keeps its own memory of being held.
  const bool redoY = ShortcutPressed(kRedo, 'Y', false);
  const bool redoZ = ShortcutPressed(kRedoShifted, 'Z', true);
  const bool redo = redoY || redoZ;
  const bool copy = ShortcutPressed(kCopy, 'C', false);
  const bool paste = ShortcutPressed(kPaste, 'V', false);
  const bool duplicate = ShortcutPressed(kDuplicate, 'D', false);
  const EditorState& s = Editor();
  if (!s.stopped || pointer.keyboardTaken || AnyDialogOpen() || pointer.leftDown) return;
  if (undo) UndoEdit();
  if (redo) RedoEdit();
  if (copy) CopySelection();
  if (paste) {
    const float x = s.snap ? SnapToGrid(pointer.worldX, s.gridSize) : pointer.worldX;
    const float y = s.snap ? SnapToGrid(pointer.worldY, s.gridSize) : pointer.worldY;
    PasteAt(x, y);
  }
  if (duplicate) DuplicateSelection(kDuplicateOffset);
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
  hooks.editorAllowsQuit = EditorAllowsQuit;
}

void EditorInit() {
  StartImGuiLayer();
  SetExplorerFolder(kExplorerRoot);
  GetEditorLink().stopped = Editor().stopped;
  SetEditSourceReader(ActiveWidget);
}

void EditorFrame() {
  if (!ImGuiLayerStarted()) return;
  // 1. ImGui's frame from this pass's input (the fixed frame time keeps a replayed session alike);
  //    the level shown now, its tuning, and a scene change waiting for an answer.
  BeginImGuiFrame(GetRunOptions().fixedDt);
  BeginEditorPass();
  // 2. The mouse tools and the Delete key, unless the windows have the mouse or keyboard; a right
  //    drag over the world moves the view.
  const PointerInput pointer = ReadPointer();
  RunTools(pointer);
  RunShortcuts(pointer);
  PanView();
  ZoomView();
  // 3. Every window.
  const ImGuiIO& io = ImGui::GetIO();
  DrawEditorWindows(io.DisplaySize.x, io.DisplaySize.y);
  FollowRunAndStop();
  // 4. A continuous edit ends when nothing is being dragged or typed into.
  if (!ImGui::IsAnyItemActive() && !Editor().pressTaken) EditorHistory().EndMerge();
  // 5. The backups: a level shown for the first time may have one to restore; edits are kept
  //    every two minutes.
  OfferBackupIfNewer();
  TickAutosave(LastFrameMs() / 1000.0f);
  // 6. The solver proving the level, if one runs (never waited for).
  UpdateProve(LastFrameMs() / 1000.0f);
  // 7. The frame's draw data, and what the windows took from the game.
  EndImGuiFrame();
  PublishCapture();
}

void EditorRender() { DrawImGuiLayer(); }

void EditorShutdown() {
  CancelProve();
  StopImGuiLayer();
}
