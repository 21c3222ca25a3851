// What the game needs to know about the level editor, which is an optional layer over the game.
// The editor writes these each pass; the game only reads them. With no editor they stay false.
#pragma once

struct EditorLink {
  bool enabled = false;       // the configuration turned the editor on
  bool stopped = false;       // the editor's play state is stopped (the "editor halt" when enabled)
  bool wantsMouse = false;    // the editor's interface has the mouse this pass
  bool wantsKeyboard = false;
  bool wantsText = false;
};

EditorLink& GetEditorLink();
// The editor halt: the editor is enabled and stopped. Movement, behaviours and collision tests stop;
// drawing goes on.
// A paused replay halts the game the same way, so that it goes on exactly where it stopped.
bool EditorHalted();
void SetReplayHalt(bool halted);
