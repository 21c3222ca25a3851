// The editor's bridge to Dear ImGui, our own back end for both of its sides: the draw lists are drawn
// through the game's GPU device (the GL device in a window, the null device headless, which counts
// what it is asked), and the input comes from the game's input tables, which the platform's events
// fill (keys, cursor, buttons as the events left them, the wheel). So a scripted or recorded session
// drives the editor's windows exactly as it drives the game; typed characters come from the keys
// going down (US layout). No SDL or GL header is included: it builds against Dear ImGui 1.86 and
// later versions, whose input API changed in 1.87.
#pragma once

// Creates the context and, when the game has a graphics device, the overlay program, buffers and
// font texture. Without a device the windows are built each frame but never drawn.
void StartImGuiLayer();
// Starts ImGui's frame from this pass's input. dt in seconds (<= 0: measured by the platform's clock).
void BeginImGuiFrame(float dt);
// Ends ImGui's frame; its draw data is ready for DrawImGuiLayer.
void EndImGuiFrame();
// Draws the last finished frame through the GPU device, over what the game drew, and puts back the
// device's depth test, blending, culling, scissor and sampling as they were.
void DrawImGuiLayer();
void StopImGuiLayer();
bool ImGuiLayerStarted();
