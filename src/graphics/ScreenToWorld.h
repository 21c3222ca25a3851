// Converts a point of the window (client pixels, y down) to the world plane z = 0 under the current
// camera and projection.
#pragma once

struct WorldPoint {
  float x = 0.0f, y = 0.0f, z = 0.0f;
};

// Returns the world point under (x, y); z is passed through.
WorldPoint ScreenToWorld(float x, float y, float z);
// The same with an explicit client size (used by tests and by the null device).
WorldPoint ScreenToWorldIn(float x, float y, float z, int clientWidth, int clientHeight);
// The inverse for the plane z = 0: the client pixel that ScreenToWorld turns into the world point
// nearest (x, y), under the camera where it stands now (the view the next frame builds) and a
// window of that size. Input scripts place the cursor with it.
void WorldToScreenIn(float x, float y, int clientWidth, int clientHeight, int* pixelX, int* pixelY);
