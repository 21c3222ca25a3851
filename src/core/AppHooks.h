// What the layers under the application ask of it, and where the parts that are not always built
// plug into its main loop. The application fills nothing here but the quit flag it reads; the
// editor and the gameplay and menu modules fill the hooks at start-up. Each hook may be null.
#pragma once

// Hooks for layers that sit over the game and are not always built (the level editor) or that come
// with the gameplay modules (pausing a level).
struct ApplicationHooks {
  void (*editorInit)() = nullptr;
  void (*editorFrame)() = nullptr;     // once per pass before the frame
  void (*editorRender)() = nullptr;    // inside the graphics frame, before present
  void (*editorShutdown)() = nullptr;
  // Pauses a running level (sets the player's pause toggle and shows the pause menu).
  void (*pauseLevel)() = nullptr;
  // Asked before the program quits (F8, the window's close button, RequestQuit): false holds the
  // quit, as when the editor asks about unsaved edits first.
  bool (*editorAllowsQuit)() = nullptr;
  // True when the pass just run is not the last of a paced frame (a replay watched at 2x or 4x).
  bool (*skipPacing)() = nullptr;
};
ApplicationHooks& GetApplicationHooks();

// Ends the main loop at the end of the current pass; the normal shutdown then runs (exit code 0).
void RequestQuit();
// Whether a quit was asked for and not yet held back; the application reads and clears it.
bool QuitRequested();
void ClearQuitRequest();
