// The question a designer is asked before unsaved edits would be left behind: before "Load",
// before the scene changes while the editor is stopped (a developer key, a splash screen's timed
// exit), and before the game quits (F8, the window's close button, a menu's quit). The answers are
// "Save" (the edits are written first; without a file, Save As opens), "Discard" (the level goes
// back to its file) and "Cancel" (nothing happens). A quit asks about every level with edits, not
// only the one shown.
#pragma once

#include <string>

enum class LeaveReason { Load, SceneChange, Quit };

// True when nothing is unsaved and the caller may go on at once; otherwise the prompt opens and
// the action goes on after "Save" or "Discard".
bool AskBeforeLeaving(LeaveReason reason);
// Once per editor pass: a scene change asked for while stopped, with unsaved edits, is held back
// and the prompt opens. The editor's own requests (a load) pass.
void HoldSceneChange();
// Marks a scene request as the editor's own, so it is not held.
void AllowSceneRequest(int sceneIndex);
// Asked by the application before it quits: false holds the quit and opens the prompt.
bool EditorAllowsQuit();

bool UnsavedPromptOpen();
// What the prompt says, and why the last "Save" failed (empty when it did not).
std::string UnsavedPromptText();
const std::string& UnsavedPromptFailure();
void AnswerSave();
void AnswerDiscard();
void AnswerCancel();
// Run: a scene change held while stopped is given up (the scene runs on; its edits stay unsaved).
void WithdrawSceneChangeQuestion();
// Called after a save through the Save As dialog: an action waiting for that save goes on.
void ContinueAfterSaveAs();
void ResetUnsavedPrompt();
