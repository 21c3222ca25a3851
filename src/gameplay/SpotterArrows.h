// Who spotted me: while a guard is in its grace phase or chasing and stands off screen, an arrow at
// the edge of the screen points to it, in the colour of its cone (opaque, with a dark rim so it
// reads over any floor). Drawn over every object and under the transition overlay; nothing on the
// null device (headless runs). The options can switch them off.
#pragma once

struct ViewRect {
  float left = 0.0f, bottom = 0.0f, right = 0.0f, top = 0.0f;  // world units on the plane z = 0
};

struct EdgeArrow {
  float x = 0.0f, y = 0.0f;          // the tip, inside the view
  float dirX = 0.0f, dirY = 0.0f;    // unit vector towards the guard
  float size = 0.0f;                 // tip to base, world units
};

// The arrow for a guard at (gx, gy) seen through `view`: false when the guard is inside the view (no
// arrow). The arrow sits on the line from the view's centre to the guard, its tip a margin inside
// the view's edge.
bool ArrowFor(const ViewRect& view, float gx, float gy, EdgeArrow* arrow);

// The object pass's screen marks: the arrows of every spotting guard off screen (when switched on).
void DrawSpotterArrows();
void ReleaseSpotterArrows();
