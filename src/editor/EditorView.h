// The editor's view of the level while it is stopped: the mouse wheel brings the camera nearer the
// level (zoom in) or takes it farther (zoom out), keeping the world point under the cursor where it
// is on the screen. The game always plays from its own distance: the editor's zoom is put aside
// while the level runs and comes back at Stop.
#pragma once

// The camera's distance from the level as the game sets it.
inline constexpr float kGameViewDistance = 1000.0f;
// The zoom's limits: nearer, the buttons' layer would reach the camera; farther, the level's
// backgrounds would pass the far plane.
inline constexpr float kNearestViewDistance = 200.0f;
inline constexpr float kFarthestViewDistance = 1900.0f;
// Each notch of the wheel divides (in) or multiplies (out) the distance by this.
inline constexpr float kZoomStep = 1.15f;

// Zooms `notches` steps in (positive) or out (negative) around the client pixel (x, y) of a client
// area of the given size, within the limits.
void ZoomViewAt(float x, float y, int notches, int clientWidth, int clientHeight);
// The camera's distance from the level now.
float ViewDistance();
// Run: the camera goes to the game's distance, the editor's is kept. Stop: the editor's comes back.
void EnterPlayView();
void EnterEditView();
// The game's distance, with no zoom kept (a fresh editor).
void ResetEditView();
