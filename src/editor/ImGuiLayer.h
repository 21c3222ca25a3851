// The editor's bridge to Dear ImGui: the context, the SDL2 and OpenGL3 back ends when the game has
// a window with a GL context, and the input. ImGui reads the same input tables the game reads (keys,
// cursor, buttons as the events left them, the wheel), so a scripted or recorded session drives the editor's
// windows exactly as it drives the game; typed characters come from the keys going down (US layout).
// The only editor files that include SDL or GL headers are this one's source and the back ends.
#pragma once

// Creates the context and, with a GL window, the back ends. Safe to call without a window: the
// windows are then built each frame but never drawn.
void StartImGuiLayer();
// Starts ImGui's frame from this pass's input. dt in seconds (<= 0: the back end's own clock).
void BeginImGuiFrame(float dt);
// Ends ImGui's frame; its draw data is ready for DrawImGuiLayer.
void EndImGuiFrame();
// Draws the last finished frame with the GL back end (nothing without one).
void DrawImGuiLayer();
void StopImGuiLayer();
bool ImGuiLayerStarted();
