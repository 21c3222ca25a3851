// The level editor without its windows, as one owner of its parts. The state, the history and the
// selection (EditorState), the tools (EditorTools), the file flows (EditorFiles), the tuning
// (EditorTuning), the clipboard, the backups (Autosave), the level writer (LevelSaver) and the
// question about unsaved work (UnsavedPrompt) each keep their own; the model resets them together,
// begins each editor pass, and runs the flows that cross them: Run and Stop, Load, and the Save As
// dialog's buttons, which go on with an action the question held back. The windows draw this state
// and call these functions; tests drive them directly. Every change to the level goes through the
// command history.
#pragma once

#include <string>

// Back to a fresh editor (stopped, Select tool, nothing selected, no level's history).
void ResetEditor();
// The start of the editor's pass, before its windows: a level shown for the first time starts with
// nothing selected, the tuning the level's edits left is put back (a start of the level reads its
// attribute files again), and a scene change asked for while stopped with unsaved edits waits for
// the designer's answer.
void BeginEditorPass();
// True while a dialog, the load flow or the error box is open: the tools and Object Properties
// then leave the level alone.
bool AnyDialogOpen();

// ---- run and stop -----------------------------------------------------------------------------------

void RunLevel();   // "Run"
void StopLevel();  // "Stop": the scene starts again from the level's records

// ---- load and Save As -----------------------------------------------------------------------------

// Reads the level at the path buffer. A scene of the same file takes the content in place (a level
// lives once in memory); any other file becomes a new scene. The scene is asked for next.
bool EditorLoadLevel();
// The Save As dialog's "Save": a blank name, or one that would leave the levels folder, is refused
// with a message; another existing file is replaced only after the warning's "Replace".
bool SaveDialogSave();
// The warning's "Replace" and "Cancel".
bool ConfirmReplace();
void CancelReplace();
// The top bar's "Load": asks about unsaved edits first, then opens the file explorer.
void PressLoad();
// The explorer reported a pick: load it, or open the error box and keep the explorer.
bool LoadPicked(const std::string& path);
