// The editor's windows, drawn with Dear ImGui over the game: the top bar, Tools, Tool Options,
// Project Manager and Object Properties, the save and attribute dialogs, the error box and the file
// explorer. They only show the editor's state (EditorState) and call the functions of the editor
// model and its parts (EditorModel, EditorTools, EditorFiles, EditorTuning ...); every change to the
// level goes through a command.
#pragma once

// Builds every window for this frame, laid out in a client area of the given size (pixels).
void DrawEditorWindows(float width, float height);
// The file explorer's window for this frame. False when the user closed it.
bool DrawFileExplorer();
// The Object Properties window's contents for the first selected object (PropertyPanels).
void DrawObjectProperties();
