// The level editor as the application sees it: four entry points that the application calls
// through its editor hooks, and the one function that installs them. The configuration's editor
// flag decides whether the application calls them at all.
#pragma once

// Fills the application's editor hooks (editorInit, editorFrame, editorRender, editorShutdown).
// Call once before the application starts.
void InstallEditor();

// Creates the interface layer (a window's GL back end when there is one; without a window the
// windows are still built each frame, so scripted sessions run headless) and points the file
// explorer at "./Assets".
void EditorInit();
// Once per pass before the frame: reads the input, runs the tools and builds every window.
void EditorFrame();
// Inside the graphics frame, before present: draws the windows built by EditorFrame.
void EditorRender();
void EditorShutdown();
